// The programs' help: HTML documents beside the program, shown at a named anchor in a window of
// our own, with Back, Forward and Contents and working links between the documents. Links to web
// pages go to the desktop's browser.
#pragma once

#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QShortcut>
#include <QString>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>
#include <QWidget>

namespace ostrevin::widgets {

class HelpViewer : public QWidget {
  public:
    explicit HelpViewer(const QString& title, QWidget* parent = nullptr)
        : QWidget(parent, Qt::Window), title_(title) {
        setObjectName("helpViewer");
        setWindowTitle(title);
        resize(640, 560);
        browser_ = new QTextBrowser(this);
        browser_->setObjectName("helpBrowser");
        browser_->setOpenExternalLinks(true);
        browser_->setOpenLinks(true);
        auto* back = button("cmdBack", "&Back");
        auto* forward = button("cmdForward", "&Forward");
        auto* contents = button("cmdContents", "&Contents");
        auto* close = button("cmdCloseHelp", "Close");
        back->setEnabled(false);
        forward->setEnabled(false);
        QObject::connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
        QObject::connect(forward, &QPushButton::clicked, browser_, &QTextBrowser::forward);
        QObject::connect(contents, &QPushButton::clicked, browser_, &QTextBrowser::home);
        QObject::connect(close, &QPushButton::clicked, this, &QWidget::close);
        QObject::connect(browser_, &QTextBrowser::backwardAvailable, back, &QWidget::setEnabled);
        QObject::connect(browser_, &QTextBrowser::forwardAvailable, forward, &QWidget::setEnabled);
        QObject::connect(browser_, &QTextBrowser::sourceChanged, [this] {
            const QString doc = browser_->documentTitle();
            setWindowTitle(doc.isEmpty() ? title_ : doc + " - " + title_);
        });
        new QShortcut(QKeySequence::Close, this, [this] { QWidget::close(); });
        new QShortcut(Qt::Key_Escape, this, [this] { QWidget::close(); });
        auto* buttons = new QHBoxLayout;
        for (QPushButton* b : {back, forward, contents}) buttons->addWidget(b);
        buttons->addStretch();
        buttons->addWidget(close);
        auto* layout = new QVBoxLayout(this);
        layout->addLayout(buttons);
        layout->addWidget(browser_);
    }

    // Shows the document at the anchor (none: its top) and raises the window. False, with the
    // viewer showing why, when the document is missing.
    bool showTopic(const QString& file, const QString& topic = {}) {
        const bool found = QFileInfo(file).isReadable();
        if (found) {
            QUrl url = QUrl::fromLocalFile(file);
            if (!topic.isEmpty()) url.setFragment(topic);
            browser_->setSource(url);
        } else {
            browser_->setHtml("<h2>Help is missing</h2><p>The help document <code>" +
                              file.toHtmlEscaped() +
                              "</code> could not be read. Reinstalling the program puts it "
                              "back.</p>");
        }
        show();
        raise();
        activateWindow();
        return found;
    }

    QTextBrowser* browser() const { return browser_; }

  private:
    QPushButton* button(const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        return b;
    }

    QString title_;
    QTextBrowser* browser_;
};

}  // namespace ostrevin::widgets

// qtfield: a Qt text field as the receiving end of typing tests on any platform Qt runs on (a
// Wayland session among them). It shows one multi-line field in a window with the given title,
// and when the sentinel key (F12) arrives it writes what the field holds to OUT and creates
// OUT.done; --ready FILE is created once the window has the keyboard focus. With --first FILE it
// also writes there the monotonic clock (seconds) at the first key that gives text, each time
// after FILE has been removed, for latency measurements. At the sentinel it also writes OUT.held:
// the native codes of the keys it saw pressed and not yet released, one a line, so that a test can
// tell that a program that ended left no key down. With --plain yes the window keeps the text of
// the keys it gets (and of a paste) without laying it out: a field lays its whole paragraph out
// again after every key, so its own cost grows with the text and bounds how fast any sender can
// fill it; a benchmark of the sender wants a receiver whose cost does not.
//
//   qtfield --title TITLE --out FILE [--ready FILE] [--first FILE] [--plain yes]
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QSet>
#include <QWindow>
#include <ctime>

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(bytes);
}

class Field : public QPlainTextEdit {
  public:
    Field(QString out, QString first, bool plain)
        : out_(std::move(out)), first_(std::move(first)), plain_(plain) {}

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (!first_.isEmpty() && !event->text().isEmpty() && !QFile::exists(first_)) {
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            writeFile(first_, QByteArray::number(double(now.tv_sec) + now.tv_nsec / 1e9, 'f', 6));
        }
        if (!event->isAutoRepeat()) held_.insert(event->nativeScanCode());
        if (event->key() == Qt::Key_F12) {
            QByteArray held;
            for (quint32 code : held_)
                if (code != event->nativeScanCode()) held += QByteArray::number(code) + "\n";
            writeFile(out_ + ".held", held);
            writeFile(out_, (plain_ ? typed_ : toPlainText()).toUtf8());
            writeFile(out_ + ".done", {});
            clear();
            typed_.clear();
            return;
        }
        if (plain_)
            keep(event);
        else
            QPlainTextEdit::keyPressEvent(event);
    }

    // What the field would have made of the key, for the keys a benchmark sends.
    void keep(QKeyEvent* event) {
        if (event->matches(QKeySequence::Paste))
            typed_ += QApplication::clipboard()->text();
        else if (event->key() == Qt::Key_Backspace)
            typed_.chop(1);
        else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            typed_ += '\n';
        else
            typed_ += event->text();
    }

    void keyReleaseEvent(QKeyEvent* event) override {
        if (!event->isAutoRepeat()) held_.remove(event->nativeScanCode());
        QPlainTextEdit::keyReleaseEvent(event);
    }

  private:
    QString out_, first_, typed_;
    bool plain_;
    QSet<quint32> held_;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QString title = "qtfield", out, ready, first;
    bool plain = false;
    const QStringList args = QApplication::arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == "--title") title = args[i + 1];
        if (args[i] == "--out") out = args[i + 1];
        if (args[i] == "--ready") ready = args[i + 1];
        if (args[i] == "--first") first = args[i + 1];
        if (args[i] == "--plain") plain = args[i + 1] == "yes";
    }
    if (out.isEmpty()) return 2;
    Field field(out, first, plain);
    field.setWindowTitle(title);
    field.resize(600, 300);
    field.show();
    QObject::connect(&app, &QGuiApplication::focusWindowChanged, [&](QWindow* window) {
        if (window && !ready.isEmpty()) writeFile(ready, {});
    });
    return QApplication::exec();
}

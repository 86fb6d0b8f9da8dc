// qtfield: a Qt text field as the receiving end of typing tests on any platform Qt runs on (a
// Wayland session among them). It shows one multi-line field in a window with the given title,
// and when the sentinel key (F12) arrives it writes what the field holds to OUT and creates
// OUT.done; --ready FILE is created once the window has the keyboard focus.
//
//   qtfield --title TITLE --out FILE [--ready FILE]
#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QWindow>

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(bytes);
}

class Field : public QPlainTextEdit {
  public:
    explicit Field(QString out) : out_(std::move(out)) {}

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_F12) {
            writeFile(out_, toPlainText().toUtf8());
            writeFile(out_ + ".done", {});
            clear();
            return;
        }
        QPlainTextEdit::keyPressEvent(event);
    }

  private:
    QString out_;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QString title = "qtfield", out, ready;
    const QStringList args = QApplication::arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == "--title") title = args[i + 1];
        if (args[i] == "--out") out = args[i + 1];
        if (args[i] == "--ready") ready = args[i + 1];
    }
    if (out.isEmpty()) return 2;
    Field field(out);
    field.setWindowTitle(title);
    field.resize(600, 300);
    field.show();
    QObject::connect(&app, &QGuiApplication::focusWindowChanged, [&](QWindow* window) {
        if (window && !ready.isEmpty()) writeFile(ready, {});
    });
    return QApplication::exec();
}

// The floor for a Qt program here: a main window holding an empty plain-text
// edit, shown, and nothing else.
#include <QApplication>
#include <QMainWindow>
#include <QPlainTextEdit>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setCentralWidget(new QPlainTextEdit);
    window.resize(640, 480);
    window.show();
    return QApplication::exec();
}

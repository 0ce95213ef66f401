// Entry point. Until the browser window lands, the program opens a small window that says so.
#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel label(QString::fromUtf8("Справочник МКБ-10: окно браузера ещё собирается."));
    label.setWindowTitle(QString::fromUtf8("МКБ-10"));
    label.setAlignment(Qt::AlignCenter);
    label.setMargin(48);
    label.show();
    return app.exec();
}

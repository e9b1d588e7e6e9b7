#include <QApplication>
#include <QWebEngineView>
int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWebEngineView view;
    view.resize(1024, 741);
    view.load(QUrl(QStringLiteral("http://www.velmora.it/forum/")));
    view.show();
    return app.exec();
}

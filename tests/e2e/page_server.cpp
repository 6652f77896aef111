// Serves a folder's files on loopback, logging each requested path as it arrives.
//   page_server <folder> <request log> <port file>
#include <QCoreApplication>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <cstdio>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc != 4) {
    std::fprintf(stderr, "usage: page_server <folder> <request log> <port file>\n");
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  QFile log(QString::fromLocal8Bit(argv[2]));
  if (!log.open(QIODevice::WriteOnly | QIODevice::Append)) return 1;
  QTcpServer server;
  if (!server.listen(QHostAddress::LocalHost, 0)) return 1;
  QFile portFile(QString::fromLocal8Bit(argv[3]));
  if (!portFile.open(QIODevice::WriteOnly)) return 1;
  portFile.write(QByteArray::number(server.serverPort()) + "\n");
  portFile.close();
  QObject::connect(&server, &QTcpServer::newConnection, &server, [&] {
    while (QTcpSocket* socket = server.nextPendingConnection()) {
      QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
      QObject::connect(socket, &QTcpSocket::readyRead, socket, [&, socket] {
        QByteArray request = socket->property("request").toByteArray() + socket->readAll();
        socket->setProperty("request", request);
        if (!request.contains("\r\n\r\n")) return;
        QByteArray path = request.left(request.indexOf("\r\n")).split(' ').value(1);
        log.write(path + "\n");
        log.flush();
        QByteArray name = path.contains('?') ? path.left(path.indexOf('?')) : path;
        QFile page(folder + QString::fromUtf8(name));
        QByteArray body = "<html><body>no such page</body></html>";
        QByteArray status = "404 Not Found";
        if (!name.contains("..") && page.open(QIODevice::ReadOnly)) {
          body = page.readAll();
          status = "200 OK";
        }
        socket->write("HTTP/1.1 " + status +
                      "\r\nContent-Type: text/html\r\nCache-Control: no-store\r\n"
                      "Connection: close\r\nContent-Length: " +
                      QByteArray::number(body.size()) + "\r\n\r\n" + body);
        socket->disconnectFromHost();
      });
    }
  });
  return app.exec();
}

#include "ui/menu_images.h"

#include <QBitmap>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>
#include <map>

namespace quorlen {

namespace {

const QColor kTransparent(0xC0, 0xC0, 0xC0);

using Drawing = std::function<void(QPainter&)>;

const std::map<std::string, Drawing>& Drawings() {
  static const std::map<std::string, Drawing> drawings = {
      {"save",
       [](QPainter& p) {  // a floppy disk
         p.fillRect(2, 2, 12, 12, QColor(40, 70, 160));
         p.fillRect(4, 2, 8, 5, Qt::white);
         p.fillRect(5, 10, 6, 4, QColor(90, 90, 90));
       }},
      {"stop",
       [](QPainter& p) {  // a red octagon with a bar
         QPolygon octagon({{5, 1}, {11, 1}, {15, 5}, {15, 11}, {11, 15}, {5, 15}, {1, 11}, {1, 5}});
         p.setBrush(QColor(200, 30, 30));
         p.setPen(Qt::NoPen);
         p.drawPolygon(octagon);
         p.fillRect(4, 7, 8, 2, Qt::white);
       }},
      {"sendinfo",
       [](QPainter& p) {  // an envelope with a down arrow
         p.setPen(QColor(60, 60, 60));
         p.setBrush(QColor(250, 240, 200));
         p.drawRect(1, 5, 14, 9);
         p.drawLine(1, 5, 8, 10);
         p.drawLine(15, 5, 8, 10);
         p.setPen(QPen(QColor(0, 130, 0), 2));
         p.drawLine(8, 0, 8, 4);
       }},
      {"palette",
       [](QPainter& p) {  // a painter's palette
         p.setPen(QColor(120, 80, 30));
         p.setBrush(QColor(230, 190, 120));
         p.drawEllipse(1, 2, 14, 12);
         p.setPen(Qt::NoPen);
         p.setBrush(Qt::red);
         p.drawEllipse(4, 4, 3, 3);
         p.setBrush(Qt::blue);
         p.drawEllipse(9, 4, 3, 3);
         p.setBrush(QColor(0, 150, 0));
         p.drawEllipse(5, 9, 3, 3);
       }},
      {"network",
       [](QPainter& p) {  // two linked computers
         p.fillRect(1, 2, 6, 5, QColor(30, 90, 180));
         p.fillRect(9, 9, 6, 5, QColor(30, 90, 180));
         p.setPen(QPen(Qt::black, 1));
         p.drawLine(4, 7, 4, 11);
         p.drawLine(4, 11, 9, 11);
       }},
      {"help",
       [](QPainter& p) {  // a question mark in a circle
         p.setPen(Qt::NoPen);
         p.setBrush(QColor(30, 110, 200));
         p.drawEllipse(1, 1, 14, 14);
         p.setPen(Qt::white);
         QFont font = p.font();
         font.setPixelSize(12);
         font.setBold(true);
         p.setFont(font);
         p.drawText(QRect(1, 1, 14, 14), Qt::AlignCenter, "?");
       }},
      {"checklist",
       [](QPainter& p) {  // a sheet with ticks
         p.setPen(QColor(80, 80, 80));
         p.setBrush(Qt::white);
         p.drawRect(2, 1, 11, 14);
         p.setPen(QPen(QColor(0, 140, 0), 1));
         for (int y : {4, 8, 12}) {
           p.drawLine(4, y, 5, y + 1);
           p.drawLine(5, y + 1, 7, y - 1);
           p.drawLine(8, y, 11, y);
         }
       }},
      {"quorlen",
       [](QPainter& p) {  // the program's badge: a red disc with a bar
         p.setPen(Qt::NoPen);
         p.setBrush(QColor(0xC0, 0x39, 0x2B));
         p.drawEllipse(1, 1, 14, 14);
         p.fillRect(4, 7, 8, 2, Qt::white);
       }},
      {"gear",
       [](QPainter& p) {  // a cog wheel
         p.setPen(Qt::NoPen);
         p.setBrush(QColor(90, 90, 100));
         for (int i = 0; i < 8; ++i) {
           p.save();
           p.translate(8, 8);
           p.rotate(45.0 * i);
           p.drawRect(-1, -7, 3, 4);
           p.restore();
         }
         p.drawEllipse(3, 3, 10, 10);
         p.setBrush(kTransparent);
         p.drawEllipse(6, 6, 4, 4);
       }},
      {"graph",
       [](QPainter& p) {  // a bar chart
         p.fillRect(2, 9, 3, 6, QColor(200, 60, 40));
         p.fillRect(6, 5, 3, 10, QColor(40, 150, 60));
         p.fillRect(10, 2, 3, 13, QColor(40, 80, 200));
         p.setPen(Qt::black);
         p.drawLine(1, 15, 15, 15);
       }},
      {"block",
       [](QPainter& p) {  // a "no entry" ring
         p.setPen(QPen(QColor(200, 30, 30), 2));
         p.setBrush(Qt::NoBrush);
         p.drawEllipse(2, 2, 12, 12);
         p.drawLine(4, 12, 12, 4);
       }},
  };
  return drawings;
}

}  // namespace

QIcon MenuImage(const std::string& key) {
  auto it = Drawings().find(key);
  if (it == Drawings().end()) return {};
  QPixmap pixmap(16, 16);
  pixmap.fill(kTransparent);
  {
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing, false);
    it->second(painter);
  }
  pixmap.setMask(pixmap.createMaskFromColor(kTransparent));
  return QIcon(pixmap);
}

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : {16, 22, 32, 48}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xC0, 0x39, 0x2B));
    p.drawEllipse(QRectF(0.5, 0.5, size - 1, size - 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(size * 0.22, size * 0.43, size * 0.56, size * 0.14));
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace quorlen

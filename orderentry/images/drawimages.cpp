// Draws the pictures of Vornapp: the logo (a sailboat before a sun) and the
// button pictures, as XPM files that are committed beside this file. Run it again
// after changing a drawing: vornapp_drawimages orderentry/images
//
// Shapes are drawn without antialiasing so that each picture keeps a small palette
// and its XPM text stays short and readable in a diff.
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

#include <cstdio>

namespace {

QImage Blank(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

void Pen(QPainter& p, QColor color, int width = 1)
{
    p.setPen(QPen(color, width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
}

QImage Logo()
{
    const int w = 86, h = 110;
    QImage image(w, h, QImage::Format_ARGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);

    // Sky in bands, pale at the horizon.
    const QColor sky[] = {QColor(40, 80, 170), QColor(60, 105, 190), QColor(85, 130, 205),
                          QColor(115, 155, 215), QColor(150, 180, 225), QColor(190, 205, 230),
                          QColor(235, 215, 190)};
    const int horizon = 72;
    for (int band = 0; band < 7; ++band) {
        int top = band * horizon / 7, bottom = (band + 1) * horizon / 7;
        p.fillRect(0, top, w, bottom - top, sky[band]);
    }

    // The sun sits on the horizon, half risen, with a ring of glow.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 190, 70));
    p.drawEllipse(QPoint(43, horizon), 30, 30);
    p.setBrush(QColor(252, 220, 80));
    p.drawEllipse(QPoint(43, horizon), 25, 25);

    // Sea with darker wave lines.
    p.fillRect(0, horizon, w, h - horizon, QColor(20, 70, 140));
    Pen(p, QColor(250, 200, 90));
    for (int y = horizon + 3; y < horizon + 12; y += 3)
        p.drawLine(43 - 20 + (y - horizon) * 2, y, 43 + 20 - (y - horizon) * 2, y);
    Pen(p, QColor(70, 120, 190));
    for (int y = horizon + 14; y < h; y += 6)
        for (int x = (y / 6) % 2 * 7; x < w; x += 14)
            p.drawLine(x, y, x + 6, y);

    // Mast, sails and hull, dark against the sun.
    Pen(p, QColor(60, 40, 20), 2);
    p.drawLine(44, 18, 44, 88);
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(QColor(250, 250, 245));
    p.drawPolygon(QPolygon({QPoint(46, 20), QPoint(46, 84), QPoint(76, 84)}));
    p.setBrush(QColor(225, 225, 215));
    p.drawPolygon(QPolygon({QPoint(42, 26), QPoint(42, 84), QPoint(18, 84)}));
    p.setPen(QPen(QColor(40, 20, 10), 1));
    p.setBrush(QColor(130, 60, 30));
    p.drawPolygon(QPolygon({QPoint(10, 87), QPoint(80, 87), QPoint(70, 96), QPoint(20, 96)}));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 40, 40));
    p.drawRect(14, 88, 62, 2);
    // A pennant at the masthead.
    p.setBrush(QColor(200, 40, 40));
    p.drawPolygon(QPolygon({QPoint(45, 16), QPoint(45, 22), QPoint(54, 19)}));
    return image;
}

// A sheet of paper with a folded corner, the base of two pictures.
void Sheet(QPainter& p, int x, int y, int w, int h)
{
    Pen(p, QColor(0, 0, 0));
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygon({QPoint(x, y), QPoint(x + w - 5, y), QPoint(x + w, y + 5),
                            QPoint(x + w, y + h), QPoint(x, y + h)}));
    p.drawPolyline(QPolygon({QPoint(x + w - 5, y), QPoint(x + w - 5, y + 5), QPoint(x + w, y + 5)}));
    Pen(p, QColor(128, 128, 128));
    for (int ly = y + 5; ly < y + h - 2; ly += 3)
        p.drawLine(x + 2, ly, x + w - 7, ly);
}

QImage NewOrder()
{
    QImage image = Blank(20, 20);
    QPainter p(&image);
    Sheet(p, 2, 1, 13, 17);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 140, 0));
    p.drawRect(12, 11, 7, 3);
    p.drawRect(14, 9, 3, 7);
    return image;
}

QImage Browse()
{
    QImage image = Blank(20, 20);
    QPainter p(&image);
    Sheet(p, 1, 1, 13, 16);
    // A magnifying glass over the sheet.
    Pen(p, QColor(0, 0, 0));
    p.setBrush(QColor(190, 230, 255));
    p.drawEllipse(QRect(8, 7, 8, 8));
    Pen(p, QColor(120, 60, 0), 2);
    p.drawLine(15, 15, 18, 18);
    return image;
}

QImage Parts()
{
    QImage image = Blank(20, 20);
    QPainter p(&image);
    // A crate seen from the front and above.
    Pen(p, QColor(80, 50, 10));
    p.setBrush(QColor(220, 170, 90));
    p.drawPolygon(QPolygon({QPoint(2, 7), QPoint(14, 7), QPoint(14, 18), QPoint(2, 18)}));
    p.setBrush(QColor(240, 200, 120));
    p.drawPolygon(QPolygon({QPoint(2, 7), QPoint(6, 3), QPoint(18, 3), QPoint(14, 7)}));
    p.setBrush(QColor(190, 140, 60));
    p.drawPolygon(QPolygon({QPoint(14, 7), QPoint(18, 3), QPoint(18, 14), QPoint(14, 18)}));
    p.drawLine(2, 12, 14, 12);
    p.drawLine(8, 7, 8, 18);
    return image;
}

QImage Reports()
{
    QImage image = Blank(20, 20);
    QPainter p(&image);
    // A printer with a page coming out.
    Pen(p, QColor(0, 0, 0));
    p.setBrush(Qt::white);
    p.drawRect(5, 1, 9, 7);
    p.setBrush(QColor(192, 192, 192));
    p.drawRect(1, 8, 17, 7);
    p.setBrush(QColor(128, 128, 128));
    p.drawRect(3, 15, 13, 3);
    p.setBrush(Qt::white);
    p.drawRect(5, 12, 9, 6);
    Pen(p, QColor(0, 160, 0));
    p.drawPoint(15, 10);
    Pen(p, QColor(128, 128, 128));
    p.drawLine(7, 3, 12, 3);
    p.drawLine(7, 5, 12, 5);
    return image;
}

QImage Help()
{
    QImage image = Blank(20, 20);
    QPainter p(&image);
    Pen(p, QColor(0, 0, 100));
    p.setBrush(QColor(40, 90, 200));
    p.drawEllipse(QRect(1, 1, 17, 17));
    // The question mark from rectangles, so no font is needed.
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(7, 4, 5, 2);
    p.drawRect(11, 5, 2, 4);
    p.drawRect(9, 8, 3, 2);
    p.drawRect(9, 9, 2, 3);
    p.drawRect(9, 13, 2, 2);
    p.drawRect(6, 5, 2, 2);
    return image;
}

QImage CloseApp()
{
    QImage image = Blank(20, 20);
    QPainter p(&image);
    // An open door with an arrow leaving through it.
    Pen(p, QColor(0, 0, 0));
    p.setBrush(QColor(60, 60, 60));
    p.drawRect(2, 1, 10, 17);
    p.setBrush(QColor(170, 110, 50));
    p.drawPolygon(QPolygon({QPoint(2, 1), QPoint(8, 3), QPoint(8, 19), QPoint(2, 18)}));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 0, 0));
    p.drawRect(10, 9, 5, 3);
    p.drawPolygon(QPolygon({QPoint(15, 6), QPoint(19, 10), QPoint(15, 14)}));
    return image;
}

QImage Calendar()
{
    QImage image = Blank(16, 16);
    QPainter p(&image);
    // A month sheet: a red band with two rings over rows of days.
    Pen(p, QColor(0, 0, 0));
    p.setBrush(Qt::white);
    p.drawRect(1, 2, 13, 12);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 0, 0));
    p.drawRect(2, 3, 12, 3);
    Pen(p, QColor(0, 0, 0));
    p.drawLine(4, 1, 4, 3);
    p.drawLine(11, 1, 11, 3);
    Pen(p, QColor(128, 128, 128));
    for (int y = 8; y <= 12; y += 2)
        for (int x = 3; x <= 12; x += 3)
            p.drawLine(x, y, x + 1, y);
    return image;
}

bool Save(const QImage& image, const QDir& folder, const char* name)
{
    QString path = folder.filePath(QString::fromLatin1(name));
    if (!image.save(path, "XPM")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: vornapp_drawimages FOLDER\n");
        return 2;
    }
    QDir folder(QString::fromLocal8Bit(argv[1]));
    bool ok = Save(Logo(), folder, "logo.xpm") && Save(NewOrder(), folder, "neworder.xpm") &&
              Save(Browse(), folder, "browse.xpm") && Save(Parts(), folder, "parts.xpm") &&
              Save(Reports(), folder, "reports.xpm") && Save(Help(), folder, "help.xpm") &&
              Save(CloseApp(), folder, "close.xpm") && Save(Calendar(), folder, "calendar.xpm");
    return ok ? 0 : 1;
}

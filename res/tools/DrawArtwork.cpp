// Draws Pellwick's icons and bitmap strips into res/. Run through res/make-artwork.sh.
// Strips are pixel art in one 16-colour palette; icons are antialiased. Every picture is a
// function of its frame so that the three frames of a strip stay consistent.
#include <QColor>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

#include <cstdio>
#include <functional>

namespace {

// The palette of every strip.
const QColor kWhite(0xFF, 0xFF, 0xFF);
const QColor kInk(0x26, 0x32, 0x40);
const QColor kLight(0xE6, 0xE3, 0xDC);
const QColor kMid(0xA8, 0xA8, 0xA4);
const QColor kShadow(0x6A, 0x6E, 0x72);
const QColor kDarkRed(0x8C, 0x2B, 0x2B);
const QColor kRed(0xD0, 0x46, 0x3C);
const QColor kBlue(0x35, 0x6F, 0xAE);
const QColor kSky(0x9C, 0xC4, 0xE8);
const QColor kGreen(0x3F, 0x95, 0x5A);
const QColor kYellow(0xF0, 0xC0, 0x38);
const QColor kOrange(0xE0, 0x86, 0x30);
const QColor kBrown(0x86, 0x5C, 0x34);
const QColor kTeal(0x2E, 0x8A, 0x8A);
const QColor kCream(0xFB, 0xF3, 0xDC);
const QColor kBlack(0, 0, 0);

QList<QRgb> StripPalette()
{
    QList<QRgb> table;
    for (const QColor& c : {kWhite, kInk, kLight, kMid, kShadow, kDarkRed, kRed, kBlue, kSky, kGreen, kYellow, kOrange,
                            kBrown, kTeal, kCream, kBlack})
        table.append(c.rgb());
    return table;
}

QString g_outDir;

bool Save(const QImage& image, const QString& name)
{
    const QString path = g_outDir + QLatin1Char('/') + name;
    if (!image.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

enum Frame { kNormal = 0, kPressed = 1, kHovered = 2 };

using Picture = std::function<void(QPainter&, Frame)>;

// The pictures are drawn in the pixels of the 1x strips. At 1x nothing is antialiased; at 2x
// everything is, and a stroke runs through the centres of those pixels, so that it covers the
// same pixels at every scale, only finer.
void Pen(QPainter& p, const QColor& colour)
{
    p.setPen(QPen(colour, 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
}

template <typename Draw> void Stroke(QPainter& p, Draw draw)
{
    p.save();
    if (p.testRenderHint(QPainter::Antialiasing))
        p.translate(0.5, 0.5);
    draw();
    p.restore();
}

void Line(QPainter& p, int x1, int y1, int x2, int y2)
{
    Stroke(p, [&] { p.drawLine(QLineF(x1, y1, x2, y2)); });
}

void Dot(QPainter& p, int x, int y)
{
    p.fillRect(x, y, 1, 1, p.pen().color());
}

void Rect(QPainter& p, int x, int y, int w, int h, const QColor& fill, const QColor& line)
{
    p.fillRect(x, y, w, h, fill);
    Pen(p, line);
    p.setBrush(Qt::NoBrush);
    Stroke(p, [&] { p.drawRect(x, y, w - 1, h - 1); });
}

// The three frames of a strip at a scale: the picture on a transparent canvas, then the
// frame's relief (flat at rest, sunken when pressed, raised when hovered).
QImage DrawStrip(QSize frame, QSize strip, int scale, bool relief, const Picture& picture)
{
    QImage canvas(strip * scale, QImage::Format_ARGB32);
    canvas.fill(Qt::transparent);
    for (int i = 0; i < 3; ++i) {
        QPainter p(&canvas);
        p.setRenderHint(QPainter::Antialiasing, scale > 1);
        p.scale(scale, scale);
        p.translate(i * frame.width(), 0);
        p.setClipRect(0, 0, frame.width(), frame.height());
        const Frame kind = static_cast<Frame>(i);
        if (relief && kind != kNormal) {
            const int w = frame.width() - 1;
            const int h = frame.height() - 1;
            p.fillRect(0, 0, frame.width(), frame.height(), kLight);
            Pen(p, kind == kPressed ? kShadow : kWhite);
            Line(p, 0, 0, w, 0);
            Line(p, 0, 0, 0, h);
            Pen(p, kind == kPressed ? kWhite : kShadow);
            Line(p, 0, h, w, h);
            Line(p, w, 0, w, h);
        }
        if (kind == kPressed)
            p.translate(1, 1);
        picture(p, kind);
    }
    return canvas;
}

// Writes a strip at 1x as 16 colours and a one-bit mask: transparent pixels become white with
// mask bit 1, so that the window behind shows through; drawn pixels get mask bit 0. At 2x it
// is one picture with an alpha channel (<id>@2x.png), for screens scaled by two.
bool MakeStrip(int id, int maskId, QSize frame, QSize strip, bool relief, const Picture& picture)
{
    const QImage canvas = DrawStrip(frame, strip, 1, relief, picture);
    QImage image(strip, QImage::Format_Indexed8);
    image.setColorTable(StripPalette());
    QImage mask(strip, QImage::Format_Mono);
    mask.setColorTable({kBlack.rgb(), kWhite.rgb()});
    const QList<QRgb> palette = StripPalette();
    for (int y = 0; y < strip.height(); ++y) {
        for (int x = 0; x < strip.width(); ++x) {
            const QRgb px = canvas.pixel(x, y);
            const bool clear = qAlpha(px) < 128;
            mask.setPixel(x, y, clear ? 1 : 0);
            int best = 0;
            if (!clear) {
                int bestDistance = INT_MAX;
                for (int k = 0; k < palette.size(); ++k) {
                    const int dr = qRed(px) - qRed(palette[k]);
                    const int dg = qGreen(px) - qGreen(palette[k]);
                    const int db = qBlue(px) - qBlue(palette[k]);
                    const int d = dr * dr + dg * dg + db * db;
                    if (d < bestDistance) {
                        bestDistance = d;
                        best = k;
                    }
                }
            }
            image.setPixel(x, y, static_cast<uint>(best));
        }
    }
    return Save(image, QStringLiteral("bitmaps/%1.png").arg(id))
        && Save(mask, QStringLiteral("bitmaps/%1.png").arg(maskId))
        && Save(DrawStrip(frame, strip, 2, relief, picture), QStringLiteral("bitmaps/%1@2x.png").arg(id));
}

// --- 15 x 15 buttons of the Online window ---------------------------------------------------

void DrawFontA(QPainter& p, Frame f)
{
    const QColor ink = f == kHovered ? kBlue : kInk;
    Pen(p, ink);
    // A serif capital A, 9 pixels tall.
    Line(p, 3, 11, 7, 3);
    Line(p, 4, 11, 7, 4);
    Line(p, 7, 2, 11, 11);
    Line(p, 8, 3, 11, 10);
    Line(p, 5, 8, 9, 8);
    Line(p, 2, 11, 5, 11);
    Line(p, 9, 11, 12, 11);
}

void DrawColourSquares(QPainter& p, Frame f)
{
    const QColor line = f == kNormal ? kShadow : kInk;
    Rect(p, 2, 2, 5, 5, kRed, line);
    Rect(p, 8, 2, 5, 5, kYellow, line);
    Rect(p, 2, 8, 5, 5, kBlue, line);
    Rect(p, 8, 8, 5, 5, kGreen, line);
}

void DrawPinLying(QPainter& p, Frame f)
{
    // Needle to the left, head to the right: the pin is not stuck in.
    Pen(p, kShadow);
    Line(p, 1, 9, 5, 9);
    Rect(p, 5, 7, 3, 5, f == kHovered ? kRed : kDarkRed, kInk);
    Rect(p, 8, 8, 2, 3, kMid, kInk);
    Rect(p, 10, 5, 3, 9, f == kHovered ? kRed : kDarkRed, kInk);
}

void DrawPinPushed(QPainter& p, Frame f)
{
    // Seen from above, stuck in: a round head with a short shadow.
    Pen(p, kShadow);
    Line(p, 7, 11, 9, 13);
    const QColor head = f == kHovered ? kRed : kDarkRed;
    Pen(p, kInk);
    p.setBrush(head);
    Stroke(p, [&] { p.drawEllipse(3, 2, 8, 8); });
    Pen(p, kWhite);
    Dot(p, 5, 4);
    Dot(p, 6, 4);
    p.setBrush(Qt::NoBrush);
}

// --- Chat Room and message windows ----------------------------------------------------------

void DrawPreferences(QPainter& p, Frame f)
{
    // Three sliders; pressed moves the knobs, hovered colours them.
    const int knobs[3][3] = {{8, 19, 13}, {14, 9, 20}, {8, 19, 13}};
    const QColor colours[3] = {kRed, kYellow, kBlue};
    for (int i = 0; i < 3; ++i) {
        const int y = 7 + i * 8;
        Pen(p, kShadow);
        Line(p, 4, y, 26, y);
        Pen(p, kInk);
        Line(p, 4, y + 1, 26, y + 1);
        const int x = knobs[f][i];
        Rect(p, x - 2, y - 3, 6, 8, f == kNormal ? kCream : colours[i], kInk);
    }
}

void DrawClear(QPainter& p, Frame f)
{
    // An eraser over a smudged line.
    Pen(p, kMid);
    Line(p, 4, 23, 14, 23);
    Line(p, 5, 24, 11, 24);
    const QColor body = f == kHovered ? kRed : kDarkRed;
    const QPolygon eraser({QPoint(5, 18), QPoint(17, 6), QPoint(25, 14), QPoint(13, 26)});
    const QPolygon sleeve({QPoint(5, 18), QPoint(10, 13), QPoint(18, 21), QPoint(13, 26)});
    Pen(p, kInk);
    p.setBrush(body);
    Stroke(p, [&] { p.drawPolygon(eraser); });
    p.setBrush(kCream);
    Stroke(p, [&] { p.drawPolygon(sleeve); });
    p.setBrush(Qt::NoBrush);
}

void DrawEnvelope(QPainter& p, int x, int y, int w, int h, bool open)
{
    Rect(p, x, y, w, h, kCream, kInk);
    Pen(p, kInk);
    if (open) {
        Line(p, x, y + h - 1, x + w / 2, y + h / 2);
        Line(p, x + w / 2, y + h / 2, x + w - 1, y + h - 1);
        Line(p, x, y, x + w / 2, y - h / 2 + 1);
        Line(p, x + w / 2, y - h / 2 + 1, x + w - 1, y);
        Pen(p, kBlue);
        for (int i = 0; i < 3; ++i)
            Line(p, x + 5, y + 3 + i * 2, x + w - 6, y + 3 + i * 2);
    } else {
        Line(p, x, y, x + w / 2, y + h / 2);
        Line(p, x + w / 2, y + h / 2, x + w - 1, y);
    }
}

void DrawSend(QPainter& p, Frame f)
{
    if (f == kPressed) {
        // In flight: moved to the right, with speed lines behind it.
        Pen(p, kSky);
        Line(p, 1, 9, 6, 9);
        Line(p, 2, 13, 6, 13);
        Line(p, 1, 17, 6, 17);
        DrawEnvelope(p, 8, 6, 20, 14, false);
    } else if (f == kHovered) {
        DrawEnvelope(p, 5, 10, 21, 12, true);
    } else {
        DrawEnvelope(p, 5, 5, 21, 14, false);
    }
}

void DrawClose(QPainter& p, Frame f)
{
    // A door in its frame and an arrow leaving through it.
    Rect(p, 15, 4, 14, 25, kLight, kInk);
    if (f == kPressed) {
        Rect(p, 17, 6, 10, 22, kBrown, kInk);
        Pen(p, kYellow);
        Dot(p, 19, 17);
    } else {
        const QPolygon door({QPoint(17, 6), QPoint(23, 9), QPoint(23, 30), QPoint(17, 27)});
        Pen(p, kInk);
        p.setBrush(kBrown);
        Stroke(p, [&] { p.drawPolygon(door); });
        p.setBrush(Qt::NoBrush);
        p.fillRect(24, 6, 4, 22, kInk);
    }
    const int tip = f == kHovered ? 27 : 13;
    const QColor arrow = f == kHovered ? kRed : kDarkRed;
    p.fillRect(tip - 10, 15, 10, 3, arrow);
    Pen(p, arrow);
    for (int i = 0; i < 5; ++i)
        Line(p, tip - 1 + i - 4, 12 + i, tip - 1 + i - 4, 20 - i);
}

// --- icons ----------------------------------------------------------------------------------

using IconPicture = std::function<void(QPainter&)>;

// Pictures are drawn on a 32-unit square and scaled, so every size shares one drawing.
bool MakeIcon(int id, const QList<int>& sizes, const IconPicture& picture)
{
    for (int size : sizes) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.scale(size / 32.0, size / 32.0);
        picture(p);
        p.end();
        if (!Save(image.convertToFormat(QImage::Format_ARGB32), QStringLiteral("icons/%1-%2.png").arg(id).arg(size)))
            return false;
    }
    return true;
}

// A speech bubble with its tail, in the 32-unit square.
QPainterPath BubblePath()
{
    QPainterPath path;
    path.addRoundedRect(QRectF(2, 4, 28, 19), 7, 7);
    QPainterPath tail;
    tail.moveTo(8, 21);
    tail.lineTo(6, 29);
    tail.lineTo(15, 22);
    tail.closeSubpath();
    return path.united(tail);
}

constexpr qreal kBubbleLine = 1.5;

void Bubble(QPainter& p, const QColor& fill)
{
    p.setPen(QPen(kInk, kBubbleLine));
    p.setBrush(fill);
    p.drawPath(BubblePath());
}

// The application's three dots inside the bubble: centres and radius.
constexpr qreal kDotRadius = 2.4;
QPointF DotCentre(int i)
{
    return QPointF(9.5 + i * 6.5, 13.5);
}

void Figure(QPainter& p, QRectF box, const QColor& colour)
{
    // Head and shoulders inside box.
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    const qreal w = box.width();
    const qreal h = box.height();
    p.drawEllipse(QRectF(box.x() + w * 0.32, box.y() + h * 0.08, w * 0.36, h * 0.38));
    QPainterPath body;
    body.addRoundedRect(QRectF(box.x() + w * 0.15, box.y() + h * 0.52, w * 0.70, h * 0.48), w * 0.25, w * 0.25);
    p.drawPath(body);
}

void Badge(QPainter& p, const QColor& fill)
{
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(1.5, 1.5, 29, 29), 6, 6);
}

void Envelope(QPainter& p, QRectF r, const QColor& paper, const QColor& line)
{
    p.setPen(QPen(line, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(paper);
    p.drawRect(r);
    QPainterPath flap;
    flap.moveTo(r.topLeft());
    flap.lineTo(r.center().x(), r.top() + r.height() * 0.58);
    flap.lineTo(r.topRight());
    p.setBrush(Qt::NoBrush);
    p.drawPath(flap);
}

bool MakeIcons()
{
    const QList<int> small = {16, 32};
    bool ok = true;
    // 128: the application: a speech bubble with three dots.
    ok &= MakeIcon(128, {16, 22, 24, 32, 48, 64, 128, 256}, [](QPainter& p) {
        Bubble(p, kBlue);
        p.setPen(Qt::NoPen);
        p.setBrush(kWhite);
        for (int i = 0; i < 3; ++i)
            p.drawEllipse(DotCentre(i), kDotRadius, kDotRadius);
    });
    // 161: a message waits: a cream envelope.
    ok &= MakeIcon(161, small, [](QPainter& p) { Envelope(p, QRectF(2.5, 7, 27, 19), kCream, kInk); });
    // 162: the other phase of the flash: the envelope reversed out of a red badge.
    ok &= MakeIcon(162, small, [](QPainter& p) {
        Badge(p, kRed);
        Envelope(p, QRectF(6, 9.5, 20, 13.5), kRed, kWhite);
    });
    // 165: somebody came online: a figure with a yellow plus.
    ok &= MakeIcon(165, small, [](QPainter& p) {
        Badge(p, kGreen);
        Figure(p, QRectF(1, 7, 20, 23), kWhite);
        p.setPen(QPen(kInk, 7, Qt::SolidLine, Qt::SquareCap));
        p.drawLine(QPointF(23.5, 6.5), QPointF(23.5, 15.5));
        p.drawLine(QPointF(19, 11), QPointF(28, 11));
        p.setPen(QPen(kYellow, 3.5, Qt::SolidLine, Qt::SquareCap));
        p.drawLine(QPointF(23.5, 6.5), QPointF(23.5, 15.5));
        p.drawLine(QPointF(19, 11), QPointF(28, 11));
    });
    // 130, 131: an online user, at rest and selected.
    ok &= MakeIcon(130, small, [](QPainter& p) {
        Badge(p, kDarkRed);
        Figure(p, QRectF(5, 4, 22, 26), kWhite);
    });
    ok &= MakeIcon(131, small, [](QPainter& p) {
        Badge(p, kRed);
        Figure(p, QRectF(5, 4, 22, 26), kWhite);
    });
    // 167: a user in the chat room: the figure with a yellow flash on blue and green.
    ok &= MakeIcon(167, small, [](QPainter& p) {
        QLinearGradient gradient(0, 0, 0, 32);
        gradient.setColorAt(0, kBlue);
        gradient.setColorAt(1, kGreen);
        p.setPen(QPen(kInk, 1.5));
        p.setBrush(gradient);
        p.drawRoundedRect(QRectF(1.5, 1.5, 29, 29), 6, 6);
        Figure(p, QRectF(2, 6, 20, 24), kWhite);
        const QPolygonF flash({QPointF(24, 2), QPointF(18, 15), QPointF(23, 15), QPointF(20, 26), QPointF(29, 11),
                               QPointF(24, 11), QPointF(28, 2)});
        p.setPen(QPen(kInk, 1));
        p.setBrush(kYellow);
        p.drawPolygon(flash);
    });
    return ok;
}

// The application icon once more as SVG, for the icon theme's scalable size: the same bubble
// path and dots, written out by hand (the pictures need nothing beyond Qt Gui).
QString SvgPathData(const QPainterPath& path)
{
    QString data;
    const auto number = [](qreal v) { return QString::number(v, 'g', 6); };
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.isMoveTo()) {
            data += QStringLiteral("M%1 %2").arg(number(e.x), number(e.y));
        } else if (e.isLineTo()) {
            data += QStringLiteral("L%1 %2").arg(number(e.x), number(e.y));
        } else if (e.isCurveTo()) {
            const QPainterPath::Element c2 = path.elementAt(i + 1);
            const QPainterPath::Element end = path.elementAt(i + 2);
            data += QStringLiteral("C%1 %2 %3 %4 %5 %6")
                        .arg(number(e.x), number(e.y), number(c2.x), number(c2.y), number(end.x), number(end.y));
            i += 2;
        }
    }
    return data + u'Z';
}

bool MakeAppIconSvg()
{
    const auto colour = [](const QColor& c) { return c.name(QColor::HexRgb); };
    QString svg = QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"32\" height=\"32\" "
                                 "viewBox=\"0 0 32 32\">\n");
    svg += QStringLiteral("  <path d=\"%1\" fill=\"%2\" stroke=\"%3\" stroke-width=\"%4\"/>\n")
               .arg(SvgPathData(BubblePath()), colour(kBlue), colour(kInk), QString::number(kBubbleLine));
    for (int i = 0; i < 3; ++i) {
        svg += QStringLiteral("  <circle cx=\"%1\" cy=\"%2\" r=\"%3\" fill=\"%4\"/>\n")
                   .arg(QString::number(DotCentre(i).x()), QString::number(DotCentre(i).y()),
                        QString::number(kDotRadius), colour(kWhite));
    }
    svg += QStringLiteral("</svg>\n");
    QFile file(g_outDir + QStringLiteral("/icons/128.svg"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(svg.toUtf8()) < 0) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
        return false;
    }
    return true;
}

// --- the About picture: a 63 x 162 band, 8 bits per pixel, stored as a Windows bitmap ------

void Put16(QByteArray& out, quint16 v)
{
    out.append(static_cast<char>(v & 0xFF));
    out.append(static_cast<char>(v >> 8));
}

void Put32(QByteArray& out, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        out.append(static_cast<char>((v >> (8 * i)) & 0xFF));
}

bool SaveBitmap8(const QImage& source, const QString& name)
{
    // Always 256 colour-table entries, rows padded to 4 bytes, bottom-up.
    QImage image = source;
    QList<QRgb> table = image.colorTable();
    while (table.size() < 256)
        table.append(qRgb(0, 0, 0));
    const int stride = (image.width() + 3) & ~3;
    const quint32 pixelBytes = static_cast<quint32>(stride * image.height());
    const quint32 offset = 14 + 40 + 256 * 4;
    QByteArray out;
    out.append("BM");
    Put32(out, offset + pixelBytes);
    Put32(out, 0);
    Put32(out, offset);
    Put32(out, 40);
    Put32(out, static_cast<quint32>(image.width()));
    Put32(out, static_cast<quint32>(image.height()));
    Put16(out, 1);
    Put16(out, 8);
    Put32(out, 0);
    Put32(out, pixelBytes);
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, 0); // colours used: 0 means all 256
    Put32(out, 0);
    for (QRgb c : table) {
        out.append(static_cast<char>(qBlue(c)));
        out.append(static_cast<char>(qGreen(c)));
        out.append(static_cast<char>(qRed(c)));
        out.append('\0');
    }
    for (int y = image.height() - 1; y >= 0; --y) {
        out.append(reinterpret_cast<const char*>(image.constScanLine(y)), image.width());
        out.append(QByteArray(stride - image.width(), '\0'));
    }
    QFile file(g_outDir + QLatin1Char('/') + name);
    return file.open(QIODevice::WriteOnly) && file.write(out) == out.size();
}

// Pixel art like the strips: a sky in 40 even steps and, at 1x, shapes without antialiasing,
// so that the picture needs far fewer than 256 colours and keeps them exactly.
QImage DrawAboutPicture(int scale)
{
    QImage image(QSize(63, 162) * scale, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, scale > 1);
    p.scale(scale, scale);
    const QColor top(0x1E, 0x3A, 0x5F);
    const QColor bottom(0x9C, 0xC4, 0xE8);
    constexpr int kSteps = 40;
    for (int y = 0; y < 162; ++y) {
        const double t = static_cast<double>(y * kSteps / 162) / (kSteps - 1);
        p.fillRect(0, y, 63, 1,
                   QColor::fromRgbF(top.redF() + (bottom.redF() - top.redF()) * t,
                                    top.greenF() + (bottom.greenF() - top.greenF()) * t,
                                    top.blueF() + (bottom.blueF() - top.blueF()) * t));
    }
    // Three speech bubbles rising, one per kind of talk: presence, message, chat.
    const QColor fills[3] = {kCream, kYellow, kWhite};
    for (int i = 0; i < 3; ++i) {
        const int x = i % 2 == 0 ? 6 : 18;
        const int y = 14 + i * 38;
        const int tx = i % 2 == 0 ? x + 8 : x + 28;
        const QPolygon tail(
            {QPoint(tx - 3, y + 20), QPoint(i % 2 == 0 ? tx - 6 : tx + 6, y + 30), QPoint(tx + 4, y + 20)});
        Pen(p, kInk);
        p.setBrush(fills[i]);
        Stroke(p, [&] {
            p.drawPolygon(tail);
            p.drawRoundedRect(QRect(x, y, 38, 23), 7, 7);
        });
        for (int k = 0; k < 3; ++k)
            p.fillRect(x + 10 + k * 8, y + 10, 3, 3, kBlue);
    }
    // Two people on the grass, facing each other.
    p.fillRect(QRect(0, 146, 63, 16), kGreen);
    Figure(p, QRectF(4, 122, 22, 26), kDarkRed);
    Figure(p, QRectF(37, 122, 22, 26), kTeal);
    return image;
}

// Stored as a Windows bitmap of 256 colours; at 2x as a picture for screens scaled by two.
bool MakeAboutPicture()
{
    const QImage image = DrawAboutPicture(1);
    QList<QRgb> table;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (!table.contains(image.pixel(x, y)))
                table.append(image.pixel(x, y));
    if (table.size() > 256) {
        std::fprintf(stderr, "the About picture has %lld colours\n", static_cast<long long>(table.size()));
        return false;
    }
    return SaveBitmap8(image.convertToFormat(QImage::Format_Indexed8, table), QStringLiteral("bitmaps/171.bmp"))
        && Save(DrawAboutPicture(2), QStringLiteral("bitmaps/171@2x.png"));
}

// 190: the blinking new-message mark, a small red envelope.
QImage DrawIndicator(int scale)
{
    QImage canvas(QSize(11, 8) * scale, QImage::Format_ARGB32);
    canvas.fill(kLight);
    QPainter p(&canvas);
    p.setRenderHint(QPainter::Antialiasing, scale > 1);
    p.scale(scale, scale);
    Rect(p, 0, 0, 11, 8, kRed, kDarkRed);
    Pen(p, kWhite);
    Line(p, 1, 1, 5, 4);
    Line(p, 5, 4, 9, 1);
    return canvas;
}

bool MakeIndicator()
{
    return Save(DrawIndicator(1).convertToFormat(QImage::Format_Indexed8, StripPalette()),
                QStringLiteral("bitmaps/190.png"))
        && Save(DrawIndicator(2), QStringLiteral("bitmaps/190@2x.png"));
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <res directory>\n", argv[0]);
        return 2;
    }
    g_outDir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(g_outDir + QStringLiteral("/icons"));
    QDir().mkpath(g_outDir + QStringLiteral("/bitmaps"));

    const QSize pin(15, 15);
    bool ok = MakeIcons();
    ok &= MakeAppIconSvg();
    ok &= MakeStrip(138, 139, QSize(31, 31), QSize(93, 31), true, DrawPreferences);
    ok &= MakeStrip(141, 142, QSize(30, 30), QSize(90, 30), true, DrawClear);
    ok &= MakeStrip(154, 152, QSize(31, 24), QSize(93, 24), true, DrawSend);
    ok &= MakeStrip(158, 159, QSize(33, 33), QSize(101, 34), true, DrawClose);
    ok &= MakeStrip(186, 187, pin, QSize(45, 15), true, DrawFontA);
    ok &= MakeStrip(188, 189, pin, QSize(45, 15), true, DrawColourSquares);
    ok &= MakeStrip(191, 192, pin, QSize(45, 15), true, DrawPinLying);
    ok &= MakeStrip(195, 193, pin, QSize(45, 15), true, DrawPinPushed);
    ok &= MakeIndicator();
    ok &= MakeAboutPicture();
    return ok ? 0 : 1;
}

// Draws the program's pictures: the padlock icon (ICO with 16-colour 32x32 and 16x16
// images, plus PNGs for the desktop), the pen pointer and the logo.
// Usage: makepictures OUTPUT_DIR

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>
#include <QtEndian>

#include <array>
#include <cstdio>

namespace {

// The classic 16-colour palette.
constexpr std::array<QRgb, 16> kPalette = {
    0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000, 0xFF000080, 0xFF800080, 0xFF008080, 0xFFC0C0C0,
    0xFF808080, 0xFFFF0000, 0xFF00FF00, 0xFFFFFF00, 0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF};

QImage drawPadlock(int size) {
    QImage img(size, size, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, size > 32);
    const qreal s = size;
    // Shackle.
    QPen shackle(QColor(0x60, 0x60, 0x60), s * 0.11, Qt::SolidLine, Qt::FlatCap);
    p.setPen(shackle);
    p.setBrush(Qt::NoBrush);
    const QRectF arc(s * 0.27, s * 0.08, s * 0.46, s * 0.5);
    QPainterPath path;
    path.moveTo(arc.left(), s * 0.48);
    path.lineTo(arc.left(), arc.center().y());
    path.arcTo(arc, 180, -180);
    path.lineTo(arc.right(), s * 0.48);
    p.drawPath(path);
    // Body.
    const QRectF body(s * 0.14, s * 0.44, s * 0.72, s * 0.5);
    QLinearGradient shade(body.topLeft(), body.bottomRight());
    shade.setColorAt(0, QColor(0xD8, 0xD8, 0xD8));
    shade.setColorAt(1, QColor(0x80, 0x80, 0x80));
    p.setPen(QPen(QColor(0x40, 0x40, 0x40), qMax(1.0, s / 32)));
    p.setBrush(size > 32 ? QBrush(shade) : QBrush(QColor(0xC0, 0xC0, 0xC0)));
    p.drawRoundedRect(body, s * 0.06, s * 0.06);
    // Keyhole.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x20, 0x20, 0x20));
    p.drawEllipse(QPointF(s * 0.5, s * 0.64), s * 0.07, s * 0.07);
    p.drawRect(QRectF(s * 0.47, s * 0.66, s * 0.06, s * 0.16));
    return img;
}

// Appends little-endian numbers to a byte buffer.
class LittleEndian {
public:
    explicit LittleEndian(QByteArray& out)
        : m_out(out) {}
    void u16(quint16 v) { append(qToLittleEndian(v)); }
    void u32(quint32 v) { append(qToLittleEndian(v)); }

private:
    template <typename T> void append(T v) {
        m_out.append(reinterpret_cast<const char*>(&v), sizeof v);
    }
    QByteArray& m_out;
};

int nearestPaletteIndex(QRgb c) {
    int best = 0;
    int bestDistance = INT_MAX;
    for (int i = 0; i < 16; ++i) {
        const int dr = qRed(c) - qRed(kPalette[i]);
        const int dg = qGreen(c) - qGreen(kPalette[i]);
        const int db = qBlue(c) - qBlue(kPalette[i]);
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

// One ICO image entry: a 4-bit BMP with its AND mask.
QByteArray icoImage(const QImage& img) {
    const int n = img.width();
    const int xorStride = ((n * 4 + 31) / 32) * 4;
    const int andStride = ((n + 31) / 32) * 4;
    QByteArray data;
    LittleEndian le(data);
    le.u32(40);
    le.u32(n);
    le.u32(2 * n);
    le.u16(1);
    le.u16(4);
    le.u32(0);
    le.u32(static_cast<quint32>((xorStride + andStride) * n));
    le.u32(0);
    le.u32(0);
    le.u32(16);
    le.u32(0);
    for (QRgb c : kPalette) {
        const char entry[4] = {char(qBlue(c)), char(qGreen(c)), char(qRed(c)), 0};
        data.append(entry, 4);
    }
    for (int y = n - 1; y >= 0; --y) {
        QByteArray row(xorStride, 0);
        for (int x = 0; x < n; ++x) {
            const QRgb c = img.pixel(x, y);
            const int index = qAlpha(c) < 128 ? 0 : nearestPaletteIndex(c);
            row[x / 2] = char(row[x / 2] | (x % 2 == 0 ? index << 4 : index));
        }
        data.append(row);
    }
    for (int y = n - 1; y >= 0; --y) {
        QByteArray row(andStride, 0);
        for (int x = 0; x < n; ++x) {
            if (qAlpha(img.pixel(x, y)) < 128)
                row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
        }
        data.append(row);
    }
    return data;
}

// The 16-colour picture as a PNG, with the mask as full transparency.
QImage sixteenColours(const QImage& img) {
    QImage out(img.size(), QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = img.pixel(x, y);
            out.setPixel(x, y, qAlpha(c) < 128 ? 0 : kPalette[nearestPaletteIndex(c)]);
        }
    return out;
}

bool writeIco(const QString& path, const QList<QImage>& images) {
    QByteArray header;
    LittleEndian le(header);
    le.u16(0);
    le.u16(1);
    le.u16(static_cast<quint16>(images.size()));
    QList<QByteArray> bodies;
    for (const QImage& img : images)
        bodies << icoImage(img);
    quint32 offset = 6 + 16 * images.size();
    for (int i = 0; i < images.size(); ++i) {
        const char dims[4] = {char(images[i].width()), char(images[i].height()), 16, 0};
        header.append(dims, 4);
        le.u16(1);
        le.u16(4);
        le.u32(static_cast<quint32>(bodies[i].size()));
        le.u32(offset);
        offset += bodies[i].size();
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(header);
    for (const QByteArray& b : bodies)
        file.write(b);
    return file.error() == QFileDevice::NoError;
}

QImage drawPen() {
    QImage img(32, 32, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    // A pen lying from the lower right to its tip at the upper left.
    QPolygonF barrel;
    barrel << QPointF(9, 5) << QPointF(28, 24) << QPointF(24, 28) << QPointF(5, 9);
    p.setPen(QPen(QColor(0x80, 0x40, 0x00), 1));
    p.setBrush(QColor(0xFF, 0x8C, 0x00));
    p.drawPolygon(barrel);
    QPolygonF nib;
    nib << QPointF(0, 0) << QPointF(9, 5) << QPointF(5, 9);
    p.setBrush(QColor(0xFF, 0xC0, 0x60));
    p.drawPolygon(nib);
    p.setPen(QColor(0x60, 0x30, 0x00));
    p.drawLine(QPointF(0, 0), QPointF(5, 5));
    p.setBrush(QColor(0xC0, 0x60, 0x00));
    QPolygonF cap;
    cap << QPointF(28, 24) << QPointF(31, 27) << QPointF(27, 31) << QPointF(24, 28);
    p.drawPolygon(cap);
    return img;
}

QImage drawLogo() {
    QImage img(201, 197, QImage::Format_RGB888);
    img.fill(Qt::black);
    QPainter p(&img);
    p.setRenderHint(QPainter::TextAntialiasing);
    QFont digits(QStringLiteral("DejaVu Sans Mono"));
    digits.setPixelSize(11);
    p.setFont(digits);
    p.setPen(QColor(0x30, 0x60, 0xFF));
    QRandomGenerator bits(1007);
    for (int band : {0, 164}) {
        for (int row = 0; row < 3; ++row) {
            QString line;
            for (int i = 0; i < 29; ++i)
                line += bits.bounded(2) ? QLatin1Char('1') : QLatin1Char('0');
            p.drawText(QPointF(2, band + 11 * (row + 1)), line);
        }
    }
    QFont title(QStringLiteral("DejaVu Sans"));
    title.setBold(true);
    title.setPixelSize(64);
    p.setFont(title);
    p.setPen(QColor(0xFF, 0xFF, 0x00));
    p.drawText(QRect(0, 40, 201, 80), Qt::AlignCenter, QStringLiteral("VeMo"));
    QFont sub(QStringLiteral("DejaVu Sans"));
    sub.setBold(true);
    sub.setPixelSize(16);
    p.setFont(sub);
    p.drawText(QRect(0, 116, 201, 40), Qt::AlignCenter, QStringLiteral("VeRsIoNe 1.00"));
    return img;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: makepictures OUTPUT_DIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    bool ok = true;
    const QImage lock32 = drawPadlock(32);
    const QImage lock16 = drawPadlock(16);
    ok &= writeIco(out.filePath(QStringLiteral("vemo.ico")), {lock32, lock16});
    ok &= sixteenColours(lock16).save(out.filePath(QStringLiteral("padlock-16.png")));
    ok &= sixteenColours(lock32).save(out.filePath(QStringLiteral("padlock-32.png")));
    for (int size : {48, 64, 128, 256})
        ok &= drawPadlock(size).save(out.filePath(QStringLiteral("padlock-%1.png").arg(size)));
    ok &= drawPen().save(out.filePath(QStringLiteral("pen.png")));
    ok &= drawLogo().save(out.filePath(QStringLiteral("logo.png")));
    if (!ok) {
        std::fprintf(stderr, "makepictures: could not write every picture\n");
        return 1;
    }
    return 0;
}

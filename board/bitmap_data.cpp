#include "bitmap_data.h"

#include <QtEndian>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>

namespace varmet {

namespace {

constexpr qsizetype FileHeaderSize = 14;
constexpr std::uint32_t CoreHeaderSize = 12; // the oldest header: 16-bit sizes, no coding
enum Coding : std::uint32_t { Plain = 0, Rle8 = 1, Rle4 = 2, BitFields = 3, AlphaBitFields = 6 };

std::uint32_t U32(const QByteArray &bytes, qsizetype at)
{
    return qFromLittleEndian<std::uint32_t>(bytes.constData() + at);
}
std::int32_t I32(const QByteArray &bytes, qsizetype at)
{
    return qFromLittleEndian<std::int32_t>(bytes.constData() + at);
}
std::uint16_t U16(const QByteArray &bytes, qsizetype at)
{
    return qFromLittleEndian<std::uint16_t>(bytes.constData() + at);
}

QString CutShort(qsizetype has, std::int64_t needs)
{
    return QStringLiteral("в файле только %1 байт, а по заголовку нужно %2").arg(has).arg(needs);
}

// The pixel indices of a run-length coded picture, in the order the runs give the rows, rows of
// `stride` bytes; `what` says why there are none.
struct Expanded
{
    QByteArray pixels;
    QString what;
};

Expanded ExpandRuns(
    const QByteArray &file, qsizetype from, std::int64_t width, std::int64_t height, bool nibbles)
{
    const std::int64_t stride = (width + 3) / 4 * 4;
    Expanded out {QByteArray(static_cast<qsizetype>(stride * height), '\0'), {}};
    const auto *in = reinterpret_cast<const unsigned char *>(file.constData());
    const qsizetype end = file.size();
    qsizetype at = from;
    std::int64_t x = 0, y = 0;
    const auto put = [&](unsigned char index) {
        if (x < width && y < height)
            out.pixels[static_cast<qsizetype>(y * stride + x)] = static_cast<char>(index);
        ++x;
    };
    // The stream ends with its end-of-picture mark, or once every row is given.
    while (y < height && !(y == height - 1 && x >= width)) {
        if (end - at < 2)
            return {{}, QStringLiteral("сжатые данные рисунка обрываются до его конца")};
        const unsigned count = in[at], code = in[at + 1];
        at += 2;
        if (count > 0) {
            for (unsigned i = 0; i < count; ++i)
                put(nibbles ? (i % 2 ? code & 0x0f : code >> 4) : code);
        } else if (code == 0) {
            x = 0;
            ++y;
        } else if (code == 1) {
            break;
        } else if (code == 2) {
            if (end - at < 2)
                return {{}, QStringLiteral("сжатые данные рисунка обрываются до его конца")};
            x += in[at];
            y += in[at + 1];
            at += 2;
        } else {
            const qsizetype bytes = nibbles ? (code + 1) / 2 : code;
            const qsizetype padded = bytes + bytes % 2; // literal runs end on a word
            if (end - at < padded)
                return {{}, QStringLiteral("сжатые данные рисунка обрываются до его конца")};
            for (unsigned i = 0; i < code; ++i)
                put(nibbles ? (i % 2 ? in[at + i / 2] & 0x0f : in[at + i / 2] >> 4) : in[at + i]);
            at += padded;
        }
    }
    return out;
}

} // namespace

std::optional<QString> MakeBitmapWhole(QByteArray &file, int maxSide)
{
    if (!file.startsWith("BM"))
        return std::nullopt;
    if (file.size() < FileHeaderSize + 4)
        return CutShort(file.size(), FileHeaderSize + 4);
    const std::uint32_t headerSize = U32(file, FileHeaderSize);
    if (headerSize != CoreHeaderSize && headerSize < 40)
        return std::nullopt;
    const std::int64_t headerEnd = FileHeaderSize + std::int64_t {headerSize};
    if (file.size() < headerEnd)
        return CutShort(file.size(), headerEnd);

    const bool core = headerSize == CoreHeaderSize;
    const std::int64_t width = core ? U16(file, 18) : I32(file, 18);
    const std::int64_t signedHeight = core ? U16(file, 20) : I32(file, 22);
    const unsigned depth = core ? U16(file, 24) : U16(file, 28);
    const std::uint32_t coding = core ? Plain : U32(file, 30);
    const std::uint32_t coloursUsed = core ? 0 : U32(file, 46);
    const std::int64_t height = std::abs(signedHeight);
    if (width <= 0 || height == 0
        || !std::ranges::count(std::array {1u, 4u, 8u, 16u, 24u, 32u}, depth))
        return std::nullopt;

    // The colour masks and the palette stand between the header and the pixels; the pixels start
    // at the offset the file header names, but never before those.
    std::int64_t masks = 0;
    if (headerSize == 40 && coding == BitFields)
        masks = 12;
    else if (headerSize == 40 && coding == AlphaBitFields)
        masks = 16;
    const std::int64_t paletteEntries = depth <= 8
        ? (coloursUsed > 0 ? std::min<std::int64_t>(coloursUsed, 1 << depth) : 1 << depth)
        : 0;
    const std::int64_t paletteEnd = headerEnd + masks + paletteEntries * (core ? 3 : 4);
    const std::int64_t pixelsStart = std::max<std::int64_t>(U32(file, 10), paletteEnd);

    if (coding == Plain || coding == BitFields || coding == AlphaBitFields) {
        const std::int64_t rowBytes = (width * depth + 31) / 32 * 4;
        const std::int64_t needs = pixelsStart + rowBytes * height;
        if (file.size() < needs)
            return CutShort(file.size(), needs);
        return std::nullopt;
    }
    if (!((coding == Rle8 && depth == 8) || (coding == Rle4 && depth == 4)))
        return std::nullopt;
    if (file.size() < pixelsStart)
        return CutShort(file.size(), pixelsStart);
    // The expansion takes a byte a pixel: only for a picture the board could take.
    if (width > maxSide || height > maxSide)
        return QStringLiteral("рисунок размером %1 × %2 точек больше допустимых %3 × %3")
            .arg(width)
            .arg(height)
            .arg(maxSide);

    Expanded expanded
        = ExpandRuns(file, static_cast<qsizetype>(pixelsStart), width, height, coding == Rle4);
    if (expanded.pixels.isNull())
        return expanded.what;
    if (signedHeight < 0) {
        // Stored top down: the runs gave the top row first; plain rows go bottom up.
        const auto stride = static_cast<qsizetype>(expanded.pixels.size() / height);
        QByteArray bottomUp;
        bottomUp.reserve(expanded.pixels.size());
        for (qsizetype row = static_cast<qsizetype>(height) - 1; row >= 0; --row)
            bottomUp.append(expanded.pixels.constData() + row * stride, stride);
        expanded.pixels = std::move(bottomUp);
    }
    // The same header and palette over plain 8-bit rows.
    QByteArray plain = file.left(static_cast<qsizetype>(paletteEnd));
    qToLittleEndian<std::uint32_t>(static_cast<std::uint32_t>(paletteEnd), plain.data() + 10);
    qToLittleEndian<std::int32_t>(static_cast<std::int32_t>(height), plain.data() + 22);
    qToLittleEndian<std::uint16_t>(8, plain.data() + 28);
    qToLittleEndian<std::uint32_t>(Plain, plain.data() + 30);
    qToLittleEndian<std::uint32_t>(
        static_cast<std::uint32_t>(expanded.pixels.size()), plain.data() + 34);
    qToLittleEndian<std::uint32_t>(static_cast<std::uint32_t>(paletteEntries), plain.data() + 46);
    plain += expanded.pixels;
    qToLittleEndian<std::uint32_t>(static_cast<std::uint32_t>(plain.size()), plain.data() + 2);
    file = std::move(plain);
    return std::nullopt;
}

} // namespace varmet

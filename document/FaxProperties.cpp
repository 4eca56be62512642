#include "document/FaxProperties.h"

#include "display/FileIdentity.h"
#include "document/FaxFolder.h"
#include "framework/FilePath.h"

#include <QDateTime>
#include <QDir>
#include <QLocale>

#include <algorithm>
#include <memory>

namespace {

struct SourceCloser
{
    void operator()(DataSource *source) const { imgCloseSource(source); }
};
using SourcePtr = std::unique_ptr<DataSource, SourceCloser>;

const CString kNotGiven = QStringLiteral("(not given)");

// Fax software writes "<UNSPECIFIED>" and the like where the sender gave no identifier.
bool isPlaceholder(const CString &text)
{
    return text.isEmpty() || (text.startsWith(u'<') && text.endsWith(u'>'));
}

CString cut(CString text)
{
    if (text.size() > MAX_FIELD_CHARS)
        text = text.left(MAX_FIELD_CHARS - 1) + QChar(0x2026);
    return text;
}

CString dateText(const char *dateTime)
{
    const QDateTime when = ParseFaxDateTime(dateTime);
    return when.isValid() ? when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : CString();
}

CString compressionName(std::uint32_t compression)
{
    switch (compression) {
    case 1:
        return QStringLiteral("uncompressed");
    case 2:
        return QStringLiteral("CCITT modified Huffman");
    case 3:
        return QStringLiteral("CCITT Group 3");
    case 4:
        return QStringLiteral("CCITT Group 4");
    case 5:
        return QStringLiteral("LZW");
    case 7:
        return QStringLiteral("JPEG");
    case 8:
    case 32946:
        return QStringLiteral("Deflate");
    case 32771:
        return QStringLiteral("CCITT modified Huffman, word-aligned");
    case 32773:
        return QStringLiteral("PackBits");
    default:
        return QStringLiteral("compression %1").arg(compression);
    }
}

CString resolutionText(const TiffResolution &resolution)
{
    if (resolution.xResolution <= 0 || resolution.yResolution <= 0)
        return QStringLiteral("no resolution");
    const CString values =
        QStringLiteral("%1 x %2").arg(resolution.xResolution).arg(resolution.yResolution);
    switch (resolution.unit) {
    case 3:
        return values + QStringLiteral(" pixels per cm");
    case 1:
        return values + QStringLiteral(" (no unit)");
    default:
        return values + QStringLiteral(" dpi");
    }
}

CString qualityText(const TiffPageFacts &page)
{
    if (page.badLines > 0) {
        CString text = QStringLiteral("%1 damaged lines").arg(page.badLines);
        if (page.consecutiveBadLines > 0)
            text += QStringLiteral(" (at most %1 in a row)").arg(page.consecutiveBadLines);
        return text;
    }
    if (page.badLines == 0 || page.cleanData == 0)
        return QStringLiteral("clean");
    if (page.cleanData > 0)
        return QStringLiteral("damaged lines regenerated or left");
    return {};
}

CString durationText(std::int64_t seconds)
{
    if (seconds < 60)
        return QStringLiteral("%1 s").arg(seconds);
    return QStringLiteral("%1 min %2 s").arg(seconds / 60).arg(seconds % 60);
}

void addLine(FaxProperties &properties, const char *label, const CString &value)
{
    if (!value.isEmpty())
        properties.lines.push_back({QString::fromLatin1(label), value});
}

void addFileLines(FaxProperties &properties, const CString &path)
{
    const FileIdentity file = FileIdentityOf(path);
    addLine(properties, "File",
            cut(PrintableText(PathForDisplay(QDir::toNativeSeparators(path)).toUtf8())));
    if (file.IsKnown()) {
        addLine(properties, "Size",
                QStringLiteral("%1 bytes").arg(QLocale::c().toString(qint64(file.size))));
        addLine(properties, "Modified",
                QDateTime::fromMSecsSinceEpoch(file.modifiedNanoseconds / 1000000)
                    .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    }
}

} // namespace

CString PrintableText(const char *text)
{
    CString shown;
    if (!text)
        return shown;
    for (const QChar c : QString::fromUtf8(text)) {
        if (shown.size() > MAX_FIELD_CHARS)
            break;
        if (c.isPrint() || c.isSurrogate())
            shown += c;
        else if (c == u'\t')
            shown += u' ';
    }
    return cut(shown.trimmed());
}

CString PageDescription(std::int32_t index, const TiffPageFacts &page)
{
    CString text = QStringLiteral("Page %1: %2 x %3 pixels, %4, %5")
                       .arg(index + 1)
                       .arg(page.width)
                       .arg(page.height)
                       .arg(resolutionText(page.resolution), compressionName(page.compression));
    const CString quality = qualityText(page);
    if (!quality.isEmpty())
        text += QStringLiteral(", ") + quality;
    return text;
}

FaxPageFacts::FaxPageFacts(CString path, std::uint32_t count)
    : m_path(std::move(path))
    , m_pages(count)
    , m_chunkRead(chunkCount(), false)
    , m_readable(count, false)
{
}

const TiffPageFacts *FaxPageFacts::Page(std::uint32_t index)
{
    if (index >= Count())
        return nullptr;
    if (!m_chunkRead[index / FAX_PAGE_CHUNK])
        readChunk(index / FAX_PAGE_CHUNK);
    return m_readable[index] ? &m_pages[index] : nullptr;
}

bool FaxPageFacts::ReadMore()
{
    while (m_nextChunk < chunkCount() && m_chunkRead[m_nextChunk])
        ++m_nextChunk;
    if (m_nextChunk < chunkCount())
        readChunk(m_nextChunk++);
    return !Complete();
}

std::uint32_t FaxPageFacts::PagesRead() const
{
    if (Complete())
        return Count();
    // Every chunk but the last is whole, and the last is read only when it is reached.
    return m_chunksRead * FAX_PAGE_CHUNK;
}

void FaxPageFacts::readChunk(std::uint32_t chunk)
{
    const std::uint32_t first = chunk * FAX_PAGE_CHUNK;
    const std::uint32_t count = std::min(FAX_PAGE_CHUNK, Count() - first);
    // Each chunk opens the path again, as every command does: no file stays open.
    SourcePtr source(imgOpenFileSource(PathBytes(m_path).constData()));
    const std::uint32_t filled =
        source ? imgGetTiffPageFacts(source.get(), std::int32_t(first), count, &m_pages[first]) : 0;
    for (std::uint32_t i = 0; i < filled; ++i)
        m_readable[first + i] = true;
    m_chunkRead[chunk] = true;
    ++m_chunksRead;
}

std::vector<FaxPropertyLine> FaxPageFacts::SummaryLines() const
{
    FaxProperties summary;
    if (!Complete())
        return {};
    std::int64_t onLine = 0;
    bool timed = false;
    std::size_t damaged = 0;
    QStringList damagedPages;
    for (std::size_t i = 0; i < m_pages.size(); ++i) {
        if (!m_readable[i])
            continue;
        const TiffPageFacts &page = m_pages[i];
        if (page.recvTime >= 0) {
            onLine += page.recvTime;
            timed = true;
        }
        if (page.badLines > 0 && ++damaged <= 20)
            damagedPages << QString::number(i + 1);
    }
    if (timed)
        addLine(summary, "Time on line", durationText(onLine));
    if (damaged > 0)
        addLine(summary, "Damaged pages",
                QStringLiteral("%1 of %2: %3%4")
                    .arg(damaged)
                    .arg(m_pages.size())
                    .arg(damagedPages.join(QStringLiteral(", ")),
                         damaged > 20 ? QStringLiteral(", ...") : CString()));
    return std::move(summary.lines);
}

FaxFacts ReadFaxFacts(const CString &path)
{
    FaxFacts result;
    FaxProperties properties;
    SourcePtr source(imgOpenFileSource(PathBytes(path).constData()));
    auto facts = std::make_unique<TiffFaxFacts>();
    if (!source || !imgGetTiffFaxFacts(source.get(), 0, facts.get())) {
        addFileLines(properties, path);
        result.lines = std::move(properties.lines);
        result.pages = std::make_unique<FaxPageFacts>(path, 0);
        return result;
    }

    // The sender's station identifier first; caller ID and name, where given, below it.
    QStringList from;
    for (const QString &line : QString::fromUtf8(facts->description).split(u'\n')) {
        const CString shown = PrintableText(line.toUtf8().constData());
        if (!shown.isEmpty() && from.size() < 8)
            from << shown;
    }
    if (!from.isEmpty() && isPlaceholder(from.front()))
        from.front() = kNotGiven;
    properties.lines.push_back(
        {QStringLiteral("From"), from.isEmpty() ? kNotGiven : from.join(u'\n')});

    // The count walks only the directories' links; the last page is then found from the
    // directory memory without reading those between.
    imgSeekSource(source.get(), 0, 0);
    const std::uint32_t count = imgTiffPageCount(source.get());
    CString received = dateText(facts->dateTime);
    if (count > 1) {
        auto last = std::make_unique<TiffFaxFacts>();
        imgSeekSource(source.get(), 0, 0);
        if (imgGetTiffFaxFacts(source.get(), std::int32_t(count - 1), last.get())) {
            const CString lastDate = dateText(last->dateTime);
            if (!lastDate.isEmpty() && lastDate != received)
                received += (received.isEmpty() ? kNotGiven : CString())
                            + QStringLiteral(", last page ") + lastDate;
        }
    }
    properties.lines.push_back(
        {QStringLiteral("Received"), received.isEmpty() ? kNotGiven : received});
    result.summaryAt = properties.lines.size();

    addLine(properties, "Make", PrintableText(facts->make));
    addLine(properties, "Model", PrintableText(facts->model));
    addLine(properties, "Host computer", PrintableText(facts->hostComputer));
    addLine(properties, "Software", PrintableText(facts->software));
    addLine(properties, "Sub-address", PrintableText(facts->subAddress));
    addFileLines(properties, path);
    result.lines = std::move(properties.lines);
    result.pages = std::make_unique<FaxPageFacts>(path, count);
    return result;
}

FaxProperties ReadFaxProperties(const CString &path)
{
    FaxFacts facts = ReadFaxFacts(path);
    FaxPageFacts &pages = *facts.pages;
    while (pages.ReadMore()) {
    }
    FaxProperties properties;
    properties.lines = std::move(facts.lines);
    const std::vector<FaxPropertyLine> summary = pages.SummaryLines();
    properties.lines.insert(properties.lines.begin() + std::ptrdiff_t(facts.summaryAt),
                            summary.begin(), summary.end());
    for (std::uint32_t i = 0; i < pages.Count(); ++i) {
        const TiffPageFacts *page = pages.Page(i);
        if (!page)
            break;
        properties.pages.push_back(*page);
    }
    return properties;
}

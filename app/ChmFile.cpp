#include "app/ChmFile.h"

#include <QRegularExpression>

#include <chm_lib.h>

namespace {

// Help topics are small; a larger object means a damaged or hostile file.
constexpr LONGUINT64 kMaxObjectBytes = 16u * 1024 * 1024;

// #SYSTEM record codes.
constexpr int kSystemContentsFile = 0;
constexpr int kSystemDefaultTopic = 2;
constexpr int kSystemTitle = 3;

QString fromField(const QByteArray &field)
{
    const qsizetype end = field.indexOf('\0');
    return QString::fromLatin1(end < 0 ? field : field.left(end));
}

} // namespace

CChmFile::~CChmFile()
{
    if (m_pFile)
        chm_close(m_pFile);
}

bool CChmFile::Open(const QString &path)
{
    if (m_pFile) {
        chm_close(m_pFile);
        m_pFile = nullptr;
    }
    m_pFile = chm_open(path.toLocal8Bit().constData());
    return m_pFile != nullptr;
}

QByteArray CChmFile::Read(const QString &path) const
{
    if (!m_pFile)
        return QByteArray();
    chmUnitInfo unit{};
    if (chm_resolve_object(m_pFile, path.toUtf8().constData(), &unit) != CHM_RESOLVE_SUCCESS)
        return QByteArray();
    if (unit.length == 0 || unit.length > kMaxObjectBytes)
        return QByteArray();
    QByteArray bytes(static_cast<qsizetype>(unit.length), Qt::Uninitialized);
    const LONGINT64 got =
        chm_retrieve_object(m_pFile, &unit, reinterpret_cast<unsigned char *>(bytes.data()), 0,
                            static_cast<LONGINT64>(unit.length));
    if (got <= 0)
        return QByteArray();
    bytes.truncate(static_cast<qsizetype>(got));
    return bytes;
}

// #SYSTEM: a 4-byte version, then records of a 2-byte code, a 2-byte length and data.
QByteArray CChmFile::systemField(int code) const
{
    const QByteArray system = Read(QStringLiteral("/#SYSTEM"));
    qsizetype at = 4;
    while (at + 4 <= system.size()) {
        const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(system[i]); };
        const int recordCode = byte(at) | byte(at + 1) << 8;
        const qsizetype length = byte(at + 2) | byte(at + 3) << 8;
        at += 4;
        if (length > system.size() - at)
            break;
        if (recordCode == code)
            return system.mid(at, length);
        at += length;
    }
    return QByteArray();
}

QString CChmFile::DefaultTopic() const
{
    const QString topic = fromField(systemField(kSystemDefaultTopic));
    if (topic.isEmpty())
        return QStringLiteral("/index.htm");
    return topic.startsWith(u'/') ? topic : u'/' + topic;
}

QString CChmFile::Title() const { return fromField(systemField(kSystemTitle)); }

QList<CChmFile::Topic> CChmFile::Contents() const
{
    QString contentsPath = fromField(systemField(kSystemContentsFile));
    if (contentsPath.isEmpty())
        return {};
    if (!contentsPath.startsWith(u'/'))
        contentsPath.prepend(u'/');
    const QString sitemap = QString::fromLatin1(Read(contentsPath));

    static const QRegularExpression object(
        QStringLiteral("<object[^>]*text/sitemap[^>]*>(.*?)</object>"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression param(
        QStringLiteral("<param\\s+name=\"(\\w+)\"\\s+value=\"([^\"]*)\""),
        QRegularExpression::CaseInsensitiveOption);

    QList<Topic> topics;
    for (auto it = object.globalMatch(sitemap); it.hasNext();) {
        const QString body = it.next().captured(1);
        Topic topic;
        for (auto p = param.globalMatch(body); p.hasNext();) {
            const auto match = p.next();
            const QString name = match.captured(1).toLower();
            if (name == u"name")
                topic.name = match.captured(2);
            else if (name == u"local")
                topic.path = u'/' + match.captured(2);
        }
        if (!topic.name.isEmpty() && topic.path.size() > 1)
            topics.append(topic);
    }
    return topics;
}

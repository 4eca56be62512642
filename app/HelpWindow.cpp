#include "app/HelpWindow.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QListWidget>
#include <QSplitter>

namespace {

const QString kScheme = QStringLiteral("chm");

QUrl topicUrl(const QString &path)
{
    QUrl url;
    url.setScheme(kScheme);
    url.setPath(path);
    return url;
}

} // namespace

// Resolves every topic, picture and style sheet from the help file rather than the disk.
class CHelpWindow::TopicBrowser : public QTextBrowser
{
public:
    TopicBrowser(const CChmFile &chm, QWidget *parent)
        : QTextBrowser(parent)
        , m_chm(chm)
    {
    }

    QVariant loadResource(int type, const QUrl &name) override
    {
        if (name.scheme() != kScheme)
            return QVariant();
        const QByteArray bytes = m_chm.Read(name.path());
        if (type == QTextDocument::HtmlResource || type == QTextDocument::StyleSheetResource)
            return QString::fromUtf8(bytes);
        return bytes;
    }

private:
    const CChmFile &m_chm;
};

CHelpWindow::CHelpWindow(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setAttribute(Qt::WA_DeleteOnClose);
    // Closing the main window ends the program even while help is open.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(tr("Fax Viewer Help"));
    m_pContents = new QListWidget;
    m_pBrowser = new TopicBrowser(m_chm, this);
    m_pBrowser->setOpenLinks(false);

    auto *splitter = new QSplitter;
    splitter->addWidget(m_pContents);
    splitter->addWidget(m_pBrowser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({180, 520});
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);
    resize(760, 560);

    connect(m_pBrowser, &QTextBrowser::anchorClicked, this, [this](const QUrl &url) {
        if (url.scheme() == kScheme)
            m_pBrowser->setSource(url);
        else if (!url.isRelative())
            QDesktopServices::openUrl(url);
    });
    connect(m_pContents, &QListWidget::itemActivated, this,
            [this](QListWidgetItem *item) { showTopic(item->data(Qt::UserRole).toString()); });
    connect(m_pContents, &QListWidget::currentItemChanged, this, [this](QListWidgetItem *item) {
        if (item)
            showTopic(item->data(Qt::UserRole).toString());
    });
}

bool CHelpWindow::Open(const QString &chmPath)
{
    if (!QFileInfo::exists(chmPath) || !m_chm.Open(chmPath))
        return false;
    const QString title = m_chm.Title();
    if (!title.isEmpty())
        setWindowTitle(title);
    m_pContents->clear();
    const QList<CChmFile::Topic> topics = m_chm.Contents();
    for (const auto &topic : topics) {
        auto *item = new QListWidgetItem(topic.name, m_pContents);
        item->setData(Qt::UserRole, topic.path);
    }
    m_pContents->setVisible(!topics.isEmpty());
    m_pContents->setMinimumWidth(m_pContents->sizeHintForColumn(0) + 4 * m_pContents->frameWidth());
    showTopic(m_chm.DefaultTopic());
    return true;
}

void CHelpWindow::showTopic(const QString &path)
{
    if (path != CurrentTopic())
        m_pBrowser->setSource(topicUrl(path), QTextDocument::HtmlResource);
}

QString CHelpWindow::CurrentTopic() const { return m_pBrowser->source().path(); }

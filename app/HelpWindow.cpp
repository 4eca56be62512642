#include "app/HelpWindow.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QListWidget>
#include <QShortcut>
#include <QSplitter>

#include <algorithm>

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
    // The keys of a browser window: Esc or Ctrl+W closes, Alt+Left/Right go back and
    // forward through the topics visited.
    for (const QKeySequence &keys :
         {QKeySequence(Qt::Key_Escape), QKeySequence(QKeySequence::Close),
          QKeySequence(Qt::CTRL | Qt::Key_W)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, &QWidget::close);
    connect(new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Left), this), &QShortcut::activated,
            m_pBrowser, &QTextBrowser::backward);
    connect(new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Right), this), &QShortcut::activated,
            m_pBrowser, &QTextBrowser::forward);
    // The signal comes before source() changes: take the topic from its argument.
    connect(m_pBrowser, &QTextBrowser::sourceChanged, this,
            [this](const QUrl &url) { selectContentsEntry(url.path()); });

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

void CHelpWindow::PlaceBeside(const QWidget &owner, const QRect &screen)
{
    // The owner's window decorations stand in for ours, unknown until we are shown.
    const QRect ownerFrame = owner.frameGeometry();
    const QRect inner = owner.geometry();
    const QMargins frame(inner.left() - ownerFrame.left(), inner.top() - ownerFrame.top(),
                         ownerFrame.right() - inner.right(), ownerFrame.bottom() - inner.bottom());
    const QSize outer = size().grownBy(frame).boundedTo(screen.size());
    QRect placed(QPoint(ownerFrame.right() + 1, ownerFrame.top()), outer);
    if (placed.right() > screen.right())
        placed.moveRight(ownerFrame.left() - 1);
    if (placed.left() < screen.left())
        placed.moveTopLeft(ownerFrame.topLeft() + QPoint(48, 48));
    placed.moveLeft(std::clamp(placed.left(), screen.left(), screen.right() - outer.width() + 1));
    placed.moveTop(std::clamp(placed.top(), screen.top(), screen.bottom() - outer.height() + 1));
    setGeometry(placed.marginsRemoved(frame));
}

// Keeps the contents list on the topic shown, however it was reached.
void CHelpWindow::selectContentsEntry(const QString &path)
{
    for (int row = 0; row < m_pContents->count(); ++row) {
        QListWidgetItem *item = m_pContents->item(row);
        if (item->data(Qt::UserRole).toString() == path) {
            const QSignalBlocker blocker(m_pContents);
            m_pContents->setCurrentItem(item);
            return;
        }
    }
}

void CHelpWindow::showTopic(const QString &path)
{
    if (path != CurrentTopic())
        m_pBrowser->setSource(topicUrl(path), QTextDocument::HtmlResource);
}

QString CHelpWindow::CurrentTopic() const { return m_pBrowser->source().path(); }

#include "view/FaxPropertiesDlg.h"

#include <QAbstractListModel>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTextBoundaryFinder>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

QLabel *plainLabel(const CString &text)
{
    auto *label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// A fact's value as plain text, wrapped where a line may break; a run too wide to wrap
// (a long path, a sender line without blanks) is cut in the middle to the width there
// is, and the whole value is the tooltip. Asks for the width of its longest line.
class FactLabel : public QLabel
{
public:
    explicit FactLabel(const CString &text)
        : QLabel(text)
        , m_strFull(text)
    {
        setTextFormat(Qt::PlainText);
        setWordWrap(true);
        setTextInteractionFlags(Qt::TextSelectableByMouse);
    }

    QSize sizeHint() const override
    {
        // Laid out, a line takes a pixel or two more than its advance in whole pixels.
        const QFontMetricsF metrics(font());
        qreal widest = 0;
        for (const QStringView line : QStringView(m_strFull).split(u'\n'))
            widest = std::max(widest, metrics.horizontalAdvance(line.toString()));
        const int width = int(std::ceil(widest)) + 2 + contentsMargins().left()
                          + contentsMargins().right() + 2 * margin();
        return {width, heightForWidth(width)};
    }
    // Narrow, and as tall as its lines unwrapped: the window's least size comes from here,
    // and the height each width takes from heightForWidth.
    QSize minimumSizeHint() const override
    {
        const auto lines = int(m_strFull.count(u'\n')) + 1;
        return {fontMetrics().averageCharWidth() * 12,
                fontMetrics().lineSpacing() * lines + contentsMargins().top()
                    + contentsMargins().bottom() + 2 * margin()};
    }

protected:
    void resizeEvent(QResizeEvent *pEvent) override
    {
        QLabel::resizeEvent(pEvent);
        Fit(contentsRect().width() - 2 * margin());
    }

private:
    void Fit(int width)
    {
        const QFontMetrics metrics = fontMetrics();
        bool cut = false;
        QStringList lines = m_strFull.split(u'\n');
        for (CString &line : lines) {
            CString fitted;
            QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, line);
            qsizetype start = 0;
            for (qsizetype end = breaks.toNextBoundary(); end > start;
                 start = end, end = breaks.toNextBoundary()) {
                CString run = line.mid(start, end - start);
                if (metrics.horizontalAdvance(run.trimmed()) > width) {
                    run = metrics.elidedText(run, Qt::ElideMiddle, width);
                    cut = true;
                }
                fitted += run;
            }
            line = fitted;
        }
        const CString shown = lines.join(u'\n');
        if (shown != text())
            setText(shown);
        setToolTip(cut ? m_strFull : CString());
    }

    const CString m_strFull;
};

// Page lines as wide as the list, however long: a longer one ends in an ellipsis and
// shows in full as its tooltip, rather than the list scrolling sideways.
class PageLineDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return {1, QStyledItemDelegate::sizeHint(option, index).height()};
    }
};

class PageListModel : public QAbstractListModel
{
public:
    PageListModel(FaxPageFacts &pages, QObject *parent)
        : QAbstractListModel(parent)
        , m_pages(pages)
    {
    }
    int rowCount(const QModelIndex &parent) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_pages.Count());
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        // The tooltip shows a line the list is too narrow for in full.
        if ((role != Qt::DisplayRole && role != Qt::ToolTipRole) || !index.isValid()
            || index.row() >= rowCount({}))
            return {};
        const TiffPageFacts *page = m_pages.Page(std::uint32_t(index.row()));
        return page ? PageDescription(index.row(), *page)
                    : tr("Page %1: could not be read").arg(index.row() + 1);
    }

private:
    FaxPageFacts &m_pages;
};

} // namespace

CFaxPropertiesDlg::CFaxPropertiesDlg(const CString &title, FaxFacts facts, QWidget *parent)
    : QDialog(parent)
    , m_facts(std::move(facts))
{
    setWindowTitle(tr("Fax Properties - %1").arg(title));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setAttribute(Qt::WA_DeleteOnClose);

    m_pFacts = new QFormLayout;
    for (std::size_t i = 0; i <= m_facts.lines.size(); ++i) {
        if (i == m_facts.summaryAt && !Pages().Complete()) {
            m_pProgress = plainLabel({});
            m_pFacts->addRow(plainLabel(tr("Reading pages:")), m_pProgress);
        }
        if (i == m_facts.lines.size())
            break;
        const FaxPropertyLine &line = m_facts.lines[i];
        m_pFacts->addRow(plainLabel(line.label + u':'), new FactLabel(line.value));
    }

    m_pPages = new QListView;
    m_pPages->setUniformItemSizes(true);
    m_pPages->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pPages->setModel(new PageListModel(Pages(), m_pPages));
    m_pPages->setItemDelegate(new PageLineDelegate(m_pPages));
    m_pPages->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Small enough for a screen at twice the density; the dialog opens larger.
    m_pPages->setMinimumSize(240, m_pPages->fontMetrics().height() * 4);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    QPushButton *close = buttons->button(QDialogButtonBox::Close);
    close->setDefault(true);
    close->setAutoDefault(true);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(m_pFacts);
    layout->addWidget(plainLabel(tr("Pages:")));
    layout->addWidget(m_pPages, 1);
    layout->addWidget(buttons);
    close->setFocus();
    FitToContent();

    if (m_pProgress) {
        // A zero timer runs when the event queue is empty: one chunk each time, so
        // input and painting go first.
        m_pReader = new QTimer(this);
        m_pReader->setInterval(0);
        connect(m_pReader, &QTimer::timeout, this, &CFaxPropertiesDlg::readMorePages);
        m_pReader->start();
        m_pProgress->setText(tr("%1 of %2").arg(Pages().PagesRead()).arg(Pages().Count()));
    }
}

void CFaxPropertiesDlg::readMorePages()
{
    if (Pages().ReadMore()) {
        m_pProgress->setText(tr("%1 of %2").arg(Pages().PagesRead()).arg(Pages().Count()));
        return;
    }
    m_pReader->stop();
    int row = 0;
    m_pFacts->getWidgetPosition(m_pProgress, &row, nullptr);
    m_pFacts->removeRow(row);
    m_pProgress = nullptr;
    for (const FaxPropertyLine &line : Pages().SummaryLines()) {
        QLabel *label = plainLabel(line.label + u':');
        QLabel *value = new FactLabel(line.value);
        m_pFacts->insertRow(row++, label, value);
        // Shown now rather than by the layout later, so that they count in its size.
        label->show();
        value->show();
    }
    // Their labels may widen the label column: the values keep the width they had.
    const int wanted = std::min(layout()->sizeHint().width(), Room().width());
    if (wanted > width())
        resize(wanted, height());
}

QRect CFaxPropertiesDlg::Room() const
{
    const QScreen *pScreen = parentWidget() ? parentWidget()->screen() : screen();
    const QRect room = pScreen->availableGeometry();
    return {room.topLeft(), room.size() * 9 / 10};
}

void CFaxPropertiesDlg::FitToContent()
{
    // Wide enough for the longest value on one line and for the first and last page's
    // lines, and tall enough for them all, as far as the screen allows.
    const QRect room = Room();
    int pageWidth = 0;
    if (const std::uint32_t count = Pages().Count()) {
        for (const std::uint32_t index : {0u, count - 1}) {
            if (const TiffPageFacts *page = Pages().Page(index))
                pageWidth = std::max(pageWidth, m_pPages->fontMetrics().horizontalAdvance(
                                                    PageDescription(std::int32_t(index), *page)));
        }
    }
    const QMargins margins = layout()->contentsMargins();
    pageWidth += 2 * m_pPages->frameWidth() + m_pPages->verticalScrollBar()->sizeHint().width()
                 + m_pPages->fontMetrics().averageCharWidth() * 2 + margins.left()
                 + margins.right();
    const int width =
        std::min(std::max({layout()->sizeHint().width(), pageWidth, 560}), room.width());
    const int listHeight = m_pPages->sizeHintForRow(0) * 8 + 2 * m_pPages->frameWidth();
    const int height = layout()->totalHeightForWidth(width) - m_pPages->sizeHint().height()
                       + std::max(listHeight, m_pPages->minimumHeight());
    resize(width, std::min(height, room.height()));
}

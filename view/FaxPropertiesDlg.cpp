#include "view/FaxPropertiesDlg.h"

#include <QAbstractListModel>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QLabel *plainLabel(const CString &text)
{
    auto *label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    return label;
}

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
        if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount({}))
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
        QLabel *value = plainLabel(line.value);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        m_pFacts->addRow(plainLabel(line.label + u':'), value);
    }

    m_pPages = new QListView;
    m_pPages->setUniformItemSizes(true);
    m_pPages->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pPages->setModel(new PageListModel(Pages(), m_pPages));
    m_pPages->setMinimumSize(520, 160);

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
        QLabel *value = plainLabel(line.value);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        m_pFacts->insertRow(row++, plainLabel(line.label + u':'), value);
    }
}

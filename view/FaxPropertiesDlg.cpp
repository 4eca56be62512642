#include "view/FaxPropertiesDlg.h"

#include <QAbstractListModel>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

class PageListModel : public QAbstractListModel
{
public:
    PageListModel(const std::vector<TiffPageFacts> &pages, QObject *parent)
        : QAbstractListModel(parent)
        , m_pages(pages)
    {
    }
    int rowCount(const QModelIndex &parent) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_pages.size());
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount({}))
            return {};
        return PageDescription(index.row(), m_pages[std::size_t(index.row())]);
    }

private:
    const std::vector<TiffPageFacts> &m_pages;
};

} // namespace

CFaxPropertiesDlg::CFaxPropertiesDlg(const CString &title, FaxProperties properties,
                                     QWidget *parent)
    : QDialog(parent)
    , m_properties(std::move(properties))
{
    setWindowTitle(tr("Fax Properties - %1").arg(title));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setAttribute(Qt::WA_DeleteOnClose);

    auto *facts = new QFormLayout;
    for (const FaxPropertyLine &line : m_properties.lines) {
        auto *value = new QLabel(line.value);
        value->setTextFormat(Qt::PlainText);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        auto *label = new QLabel(line.label + u':');
        label->setTextFormat(Qt::PlainText);
        facts->addRow(label, value);
    }

    m_pPages = new QListView;
    m_pPages->setUniformItemSizes(true);
    m_pPages->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pPages->setModel(new PageListModel(m_properties.pages, m_pPages));
    m_pPages->setMinimumSize(520, 160);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    QPushButton *close = buttons->button(QDialogButtonBox::Close);
    close->setDefault(true);
    close->setAutoDefault(true);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(facts);
    auto *pagesLabel = new QLabel(tr("Pages:"));
    layout->addWidget(pagesLabel);
    layout->addWidget(m_pPages, 1);
    layout->addWidget(buttons);
    close->setFocus();
}

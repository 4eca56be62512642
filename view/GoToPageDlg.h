#pragma once

#include <QDialog>

#include <cstdint>

class QLineEdit;
class QPushButton;

// "Go to Page": one number field limited to 1 .. the page count, showing the page shown
// now. Enter goes, Escape cancels; a field that is empty or out of range cannot be
// accepted, so OK stays unavailable and Enter does nothing.
class CGoToPageDlg : public QDialog
{
    Q_OBJECT

public:
    CGoToPageDlg(std::int32_t nPage, std::int32_t nPageCount, QWidget *parent = nullptr);

    // The page typed (1-based); meaningful once the dialog was accepted.
    std::int32_t GetPage() const;

    QLineEdit *PageEdit() const { return m_pEdit; }
    QPushButton *OkButton() const { return m_pOk; }

    void accept() override;

private:
    bool HasValidPage() const;

    QLineEdit *m_pEdit = nullptr;
    QPushButton *m_pOk = nullptr;
};

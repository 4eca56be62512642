#pragma once

#include "document/FaxProperties.h"

#include <QDialog>

class QListView;

// "Fax Properties": what the fax shown says about itself, one row a fact, then a list of
// its pages. Modeless, so reading the fax goes on beside it; Esc and Enter close it.
// Every text is shown as plain text. The page list builds its rows as they are scrolled
// into view, so a fax of 65,535 pages opens as quickly as one of a few.
class CFaxPropertiesDlg : public QDialog
{
    Q_OBJECT

public:
    CFaxPropertiesDlg(const CString &title, FaxProperties properties, QWidget *parent = nullptr);

    QListView *PageList() const { return m_pPages; }
    const FaxProperties &Properties() const { return m_properties; }

private:
    FaxProperties m_properties;
    QListView *m_pPages = nullptr;
};

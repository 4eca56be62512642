#pragma once

#include "document/FaxProperties.h"

#include <QDialog>

class QFormLayout;
class QLabel;
class QListView;
class QTimer;

// "Fax Properties": what the fax shown says about itself, one row a fact, then a list of
// its pages. Modeless, so reading the fax goes on beside it; Esc and Enter close it.
// Every text is shown as plain text. It shows with the first and last page's facts; the
// page list reads the pages it shows as they are scrolled into view, and the summary over
// all pages (time on line, damaged pages) is read a chunk at a time while the window is
// idle, so a fax of 65,535 pages opens as quickly as one of a few.
class CFaxPropertiesDlg : public QDialog
{
    Q_OBJECT

public:
    CFaxPropertiesDlg(const CString &title, FaxFacts facts, QWidget *parent = nullptr);

    QListView *PageList() const { return m_pPages; }
    FaxPageFacts &Pages() const { return *m_facts.pages; }

private:
    void readMorePages();
    // The size at open: every fact on a line of its own where the screen allows.
    void FitToContent();
    // Where the dialog may grow to: most of its screen.
    QRect Room() const;

    FaxFacts m_facts;
    QFormLayout *m_pFacts = nullptr;
    QLabel *m_pProgress = nullptr;
    QListView *m_pPages = nullptr;
    QTimer *m_pReader = nullptr;
};

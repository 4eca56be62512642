#pragma once

#include "app/ChmFile.h"

#include <QTextBrowser>
#include <QWidget>

class QListWidget;

// Shows the topics of a compiled help file: contents on the left, the topic on the right;
// links between topics are followed inside the file.
class CHelpWindow : public QWidget
{
    Q_OBJECT

public:
    explicit CHelpWindow(QWidget *parent = nullptr);

    // Loads the file and shows its start topic; false when it cannot be opened.
    bool Open(const QString &chmPath);
    // Places the window beside the owner where the screen has room, else over it, and
    // always whole on the screen's available area.
    void PlaceBeside(const QWidget &owner, const QRect &screen);
    QString CurrentTopic() const;
    QTextBrowser *Browser() const { return m_pBrowser; }

private:
    class TopicBrowser;

    void showTopic(const QString &path);
    void selectContentsEntry(const QString &path);

    CChmFile m_chm;
    QListWidget *m_pContents = nullptr;
    QTextBrowser *m_pBrowser = nullptr;
};

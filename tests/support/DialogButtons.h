#pragma once

#include <QAction>
#include <QWidget>
#include <gtest/gtest.h>

// A dialog's toolbar button labelled `text`, or null: tests press what the user presses.
inline QAction *dialogButton(QWidget &dialog, const QString &text)
{
    for (QAction *action : dialog.findChildren<QAction *>())
        if (action->text() == text)
            return action;
    return nullptr;
}

inline void pressDialogButton(QWidget &dialog, const char *text)
{
    if (QAction *action = dialogButton(dialog, QString::fromLatin1(text)))
        action->trigger();
    else
        ADD_FAILURE() << "no button " << text;
}

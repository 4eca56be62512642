#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

struct chmFile;

// Read-only access to the topics of a compiled help file.
class CChmFile
{
public:
    struct Topic
    {
        QString name;
        QString path; // "/index.htm"
    };

    CChmFile() = default;
    ~CChmFile();
    CChmFile(const CChmFile &) = delete;
    CChmFile &operator=(const CChmFile &) = delete;

    bool Open(const QString &path);
    bool IsOpen() const { return m_pFile != nullptr; }

    // The object at an absolute path inside the file; empty when absent or oversized.
    QByteArray Read(const QString &path) const;
    // The topic the file names as its start page, "/index.htm" when it names none.
    QString DefaultTopic() const;
    QString Title() const;
    // The entries of the table of contents, in order.
    QList<Topic> Contents() const;

private:
    QByteArray systemField(int code) const;

    chmFile *m_pFile = nullptr;
};

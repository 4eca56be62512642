#pragma once

#include <QObject>

#include <functional>

// Runs a function on the thread this object lives on, once for each Post() made from
// any thread. The event posted carries nothing and only Qt reads and frees it: what a
// worker hands over goes through the worker's own lock, which every tool that follows
// the program's locks (ThreadSanitizer among them) sees, rather than through Qt's
// event queue alone. Posts still pending when the object goes are dropped.
class CPostedCall : public QObject
{
public:
    explicit CPostedCall(std::function<void()> run)
        : m_run(std::move(run))
    {
    }
    void Post();

protected:
    void customEvent(QEvent *) override { m_run(); }

private:
    std::function<void()> m_run;
};

#include "display/PostedCall.h"

#include <QCoreApplication>
#include <QEvent>

void CPostedCall::Post() { QCoreApplication::postEvent(this, new QEvent(QEvent::User)); }

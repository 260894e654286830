#include "app/WaitCursor.h"

#include <QCursor>
#include <QGuiApplication>

TWaitCursor::TWaitCursor()
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        Active = true;
    }
}

TWaitCursor::~TWaitCursor()
{
    if (Active && QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}

#include "fault_guard.h"

#include <QScopedValueRollback>

#include <stdexcept>

namespace varmet {

void FaultGuard::run(const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const std::exception &fault) {
        if (m_writeDepth == 0)
            m_report(QString::fromUtf8(fault.what()));
        else if (!m_pending)
            m_pending = std::current_exception(); // keeps the fault's own type for the writer
    }
}

void FaultGuard::report(const QString &message)
{
    if (m_writeDepth == 0)
        m_report(message);
    else if (!m_pending)
        m_pending = std::make_exception_ptr(std::runtime_error(message.toStdString()));
}

void FaultGuard::write(const std::function<void()> &write)
{
    {
        QScopedValueRollback depth(m_writeDepth, m_writeDepth + 1);
        write();
    }
    if (m_pending)
        std::rethrow_exception(std::exchange(m_pending, nullptr));
}

} // namespace varmet

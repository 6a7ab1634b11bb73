#pragma once

// Runs the console's handlers so that a fault stops the handler it arises in, and with it every
// handler that wrote the text which started it, and is shown to the operator once; then the
// program goes on. Change handlers run nested inside the write that changed their field, and a
// fault must not pass through the toolkit's signal delivery, so a nested handler's fault is held
// and thrown again where the write returns.

#include <QString>

#include <exception>
#include <functional>

namespace varmet {

class FaultGuard
{
public:
    using Report = std::function<void(const QString &message)>;

    explicit FaultGuard(Report report)
        : m_report(std::move(report))
    { }

    // Runs a handler; a fault escaping it is reported.
    void run(const std::function<void()> &handler);

    // Performs a write that may run change handlers; throws the fault that stopped one of them.
    void write(const std::function<void()> &write);

    // Shows a fault to the operator; inside a write it is held for the writer instead, so that
    // the handler that wrote stops as well and the fault is shown once, when it ends.
    void report(const QString &message);

private:
    Report m_report;
    int m_writeDepth = 0;
    std::exception_ptr m_pending;
};

} // namespace varmet

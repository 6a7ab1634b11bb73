#pragma once

// Shows the windows a screen whose free area is the given rectangle, for as long as it lives.

#include "console/app/screen_fit.h"

#include <utility>

namespace varmet::test {

class FakeScreen
{
public:
    explicit FakeScreen(QRect available)
        : m_saved(
            std::exchange(AvailableScreenArea, [available](const QWidget &) { return available; }))
    { }
    ~FakeScreen() { AvailableScreenArea = m_saved; }
    FakeScreen(const FakeScreen &) = delete;
    FakeScreen &operator=(const FakeScreen &) = delete;

private:
    std::function<QRect(const QWidget &)> m_saved;
};

} // namespace varmet::test

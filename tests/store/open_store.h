#pragma once

// A store opened for a test: what refuses it fails the test (and gives no store).

#include "store/run_store.h"

#include <gtest/gtest.h>

#include <memory>
#include <variant>

namespace varmet::testing {

inline std::unique_ptr<RunStore> OpenStore(const StoreAddress &address)
{
    auto opened = RunStore::Open(address);
    if (auto *failure = std::get_if<QString>(&opened)) {
        ADD_FAILURE() << failure->toStdString();
        return nullptr;
    }
    return std::move(std::get<std::unique_ptr<RunStore>>(opened));
}

} // namespace varmet::testing

// A registry held in memory: the Linux build's machine registry, and, on
// either build, a registry for tests that must check what Windows (or Wine)
// cannot show, such as a key restored from its hive file. It keeps the
// registry's rules that callers depend on: case-insensitive names, subkeys
// enumerated in name order and values in the order they were first written,
// keys opened for reading refuse changes, a handle to a deleted key answers
// key_deleted, a save refuses an existing file. Hive files are written and
// read through a file_system in this registry's own format.
#pragma once

#include "platform/file_system.h"
#include "platform/registry.h"

#include <memory>

namespace av::platform {

class memory_registry final : public registry {
public:
    // Hive files go through `fs`.
    explicit memory_registry(file_system& fs = system_file_system());
    ~memory_registry() override;

    std::unique_ptr<registry_key> local_machine() override;

    struct node;

private:
    file_system& fs_;
    std::shared_ptr<node> root_;
};

}  // namespace av::platform

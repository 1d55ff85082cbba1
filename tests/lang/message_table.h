// A message table handed to the locale seam in place of the executable's
// string tables, restored when the fixture ends; and a guard that puts the
// process-wide language back to French.
#pragma once

#include <map>
#include <string>

#include "lang/languages.h"
#include "lang/locale.h"

namespace test {

class ScopedMessageTable {
public:
    explicit ScopedMessageTable(std::map<int, std::wstring> table)
        : table_(std::move(table))
    {
        av::locale::set_message_source([this](int id) {
            const auto it = table_.find(id);
            return it == table_.end() ? std::wstring() : it->second;
        });
    }
    ~ScopedMessageTable() { av::locale::set_message_source({}); }
    ScopedMessageTable(const ScopedMessageTable&) = delete;
    ScopedMessageTable& operator=(const ScopedMessageTable&) = delete;

    std::map<int, std::wstring>& table() { return table_; }

private:
    std::map<int, std::wstring> table_;
};

class ScopedLanguage {
public:
    explicit ScopedLanguage(int index) { SetLanguage(index); }
    ~ScopedLanguage() { SetLanguage(0); }
    ScopedLanguage(const ScopedLanguage&) = delete;
    ScopedLanguage& operator=(const ScopedLanguage&) = delete;
};

}  // namespace test

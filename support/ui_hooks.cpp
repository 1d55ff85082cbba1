// The hook table and the support library's modal message box: the owner and
// the window disabled for the box, the default icon for the button set, the
// reading order, and the caption.
#include "support/ui_hooks.h"

#include "support/display_language.h"
#include "support/version_info.h"

#include <utility>

namespace av {
namespace {

details::message_box_function& box_function()
{
    static details::message_box_function box;
    return box;
}

details::box_answerer& answerer()
{
    static details::box_answerer answer = nullptr;
    return answer;
}

// A box names its icon in bits 0xF0; without one, the button set chooses.
std::uint32_t with_default_icon(std::uint32_t type)
{
    if ((type & mb_iconmask) != 0)
        return type;
    switch (type & 0xF) {
    case mb_ok:
    case mb_okcancel:
        return type | mb_iconexclamation;
    case mb_yesnocancel:
    case mb_yesno:
        return type | mb_iconquestion;
    default:
        return type;
    }
}

std::wstring default_caption()
{
    std::wstring caption = version_info::from_module().display_version();
    if (caption.empty())
        caption = details::module_file_stem();
    return caption;
}

// Enables the window the owner hook disabled once the box is gone, whatever
// way the box ended.
class modal_scope {
public:
    explicit modal_scope(const modal_owner& owner)
        : m_owner(owner)
    {
        // Focus returns to the owner when the box closes only if it is
        // enabled.
        if (m_owner.owner != nullptr && m_owner.owner != m_owner.disabled)
            details::enable_window(m_owner.owner);
    }
    ~modal_scope()
    {
        if (m_owner.disabled != nullptr)
            details::enable_window(m_owner.disabled);
    }
    modal_scope(const modal_scope&) = delete;
    modal_scope& operator=(const modal_scope&) = delete;

    window_handle owner() const { return m_owner.owner; }

private:
    modal_owner m_owner;
};

}  // namespace

ui_hooks& ui_hooks::instance()
{
    static ui_hooks hooks;
    return hooks;
}

int message_box(const std::wstring& text, std::uint32_t type)
{
    const ui_hooks& hooks = ui_hooks::instance();
    const modal_scope scope(hooks.owner ? hooks.owner() : modal_owner {default_owner_window(), nullptr});
    type = with_default_icon(type);
    if (details::reads_right_to_left(scope.owner()))
        type |= mb_rtlreading;
    const std::wstring caption = hooks.title ? hooks.title() : default_caption();
    return details::show_message_box(scope.owner(), text.c_str(), caption.c_str(), type);
}

namespace details {

message_box_function set_message_box_function(message_box_function box)
{
    return std::exchange(box_function(), std::move(box));
}

void set_box_answerer(box_answerer answer)
{
    answerer() = answer;
}

int show_message_box(window_handle owner, const wchar_t* text, const wchar_t* caption, std::uint32_t type)
{
    if (const box_answerer answer = answerer())
        return answer(type);
    const message_box_function& box = box_function();
    if (box)
        return box(owner, text, caption, type);
    return system_message_box(owner, text, caption, type);
}

bool reads_right_to_left(window_handle owner)
{
    if (owner != nullptr)
        return has_layout_rtl(owner);
    return user_language_reads_right_to_left();
}

}  // namespace details
}  // namespace av

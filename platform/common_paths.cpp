#include "platform/files.h"

namespace lt77 {

std::string JoinPath(std::string_view folder, std::string_view name)
{
    std::string out(folder);
    while (!out.empty() && (out.back() == '\\' || out.back() == '/')) out.pop_back();
    while (!name.empty() && (name.front() == '\\' || name.front() == '/')) name.remove_prefix(1);
    out += '\\';
    out += name;
    return out;
}

}  // namespace lt77

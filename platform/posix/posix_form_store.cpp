// The host's forms, shared by every queue as on a Windows machine: one line a
// form in <root>/forms.txt, "kind|width|length|left|top|right|bottom|name"
// (thousandths of a millimetre, the name in UTF-8). Before the file exists
// the store holds a built-in A4 and the printer's own roll forms.
#include <charconv>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "common/utf.h"
#include "platform/form_store.h"
#include "platform/posix/queue_store.h"

namespace lt77::posix {
namespace {

constexpr DWORD kFileExists = 80;
constexpr DWORD kInvalidFormName = 1902;

std::filesystem::path FormsFile() { return HostRoot() / "forms.txt"; }

std::vector<FormRecord> DefaultForms()
{
    return {
        {u"A4", FORM_KIND_BUILTIN, 210000, 297000, 0, 0, 210000, 297000},
        {u"80 x 3276 mm[LT77]", FORM_KIND_PRINTER, 80000, 3276000, 0, 0, 80000, 3276000},
        {u"58 x 3276 mm[LT77]", FORM_KIND_PRINTER, 58000, 3276000, 0, 0, 58000, 3276000},
    };
}

std::optional<FormRecord> ParseLine(const std::string& line)
{
    FormRecord form;
    LONG* numbers[] = {&form.widthUm, &form.lengthUm, &form.left, &form.top, &form.right, &form.bottom};
    const char* p = line.data();
    const char* end = line.data() + line.size();
    const auto field = [&](auto& value) {
        const auto [next, ec] = std::from_chars(p, end, value);
        if (ec != std::errc{} || next == end || *next != '|') return false;
        p = next + 1;
        return true;
    };
    if (!field(form.kind)) return std::nullopt;
    for (LONG* n : numbers)
        if (!field(*n)) return std::nullopt;
    form.name = Utf8ToUtf16(std::string_view(p, static_cast<std::size_t>(end - p)));
    if (form.name.empty()) return std::nullopt;
    return form;
}

DWORD Load(std::vector<FormRecord>& forms)
{
    std::ifstream in(FormsFile());
    if (!in) {
        forms = DefaultForms();
        return 0;
    }
    forms.clear();
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        auto form = ParseLine(line);
        if (!form) return syserr::kInvalidData;
        forms.push_back(std::move(*form));
    }
    return 0;
}

DWORD Save(const std::vector<FormRecord>& forms)
{
    std::ostringstream text;
    text << "# kind|width|length|left|top|right|bottom|name (thousandths of a millimetre; kind 0 user, 1 built-in, 2 printer)\n";
    for (const auto& f : forms)
        text << f.kind << '|' << f.widthUm << '|' << f.lengthUm << '|' << f.left << '|' << f.top << '|' << f.right
             << '|' << f.bottom << '|' << Utf16ToUtf8(f.name) << '\n';
    std::error_code ec;
    std::filesystem::create_directories(HostRoot(), ec);
    const auto temporary = FormsFile().string() + ".new";
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << text.str();
        if (!out.flush()) return syserr::kWriteFault;
    }
    std::filesystem::rename(temporary, FormsFile(), ec);
    return ec ? syserr::kWriteFault : 0;
}

bool ValidName(std::u16string_view name)
{
    return !name.empty() && name.size() <= kFormNameMaxChars && name.find(u'|') == std::u16string_view::npos &&
           name.find(u'\n') == std::u16string_view::npos;
}

class PosixFormStore final : public FormStore {
public:
    DWORD Enumerate(HANDLE, std::vector<FormRecord>& out) override { return Load(out); }

    DWORD Get(HANDLE, std::u16string_view name, FormRecord& out) override
    {
        std::vector<FormRecord> forms;
        if (DWORD e = Load(forms)) return e;
        for (const auto& f : forms)
            if (f.name == name) {
                out = f;
                return 0;
            }
        return kInvalidFormName;
    }

    DWORD Add(HANDLE, const FormRecord& form) override
    {
        if (!ValidName(form.name) || form.widthUm <= 0 || form.lengthUm <= 0) return syserr::kInvalidParameter;
        std::vector<FormRecord> forms;
        if (DWORD e = Load(forms)) return e;
        for (const auto& f : forms)
            if (f.name == form.name) return kFileExists;
        FormRecord added = form;
        added.kind = FORM_KIND_USER;
        forms.push_back(added);
        return Save(forms);
    }

    DWORD Set(HANDLE, std::u16string_view name, const FormRecord& form) override
    {
        if (form.widthUm <= 0 || form.lengthUm <= 0) return syserr::kInvalidParameter;
        std::vector<FormRecord> forms;
        if (DWORD e = Load(forms)) return e;
        for (auto& f : forms)
            if (f.name == name) {
                if (f.kind != FORM_KIND_USER) return syserr::kAccessDenied;
                const std::u16string kept = f.name;
                f = form;
                f.name = kept;
                f.kind = FORM_KIND_USER;
                return Save(forms);
            }
        return kInvalidFormName;
    }

    DWORD Delete(HANDLE, std::u16string_view name) override
    {
        std::vector<FormRecord> forms;
        if (DWORD e = Load(forms)) return e;
        for (auto it = forms.begin(); it != forms.end(); ++it)
            if (it->name == name) {
                if (it->kind != FORM_KIND_USER) return syserr::kAccessDenied;
                forms.erase(it);
                return Save(forms);
            }
        return kInvalidFormName;
    }
};

}  // namespace
}  // namespace lt77::posix

namespace lt77 {

FormStore& SystemFormStore()
{
    static posix::PosixFormStore store;
    return store;
}

}  // namespace lt77

#include "platform/Autostart.h"

#include "platform/Folders.h"

#include <cerrno>
#include <unistd.h>

namespace orlinda {

namespace {

std::string Upper(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
    return text;
}

std::string TrimBlanks(const std::string& text)
{
    size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos)
        return {};
    size_t end = text.find_last_not_of(" \t");
    return text.substr(begin, end - begin + 1);
}

} // namespace

std::string AutostartEntryPath()
{
    return XdgConfigHome() + "/autostart/Orlinda.desktop";
}

std::string AutostartCommand(const std::string& executable)
{
    // Inside a quoted argument '"', '`', '$' and '\' take a backslash; the entry's own
    // string escaping then doubles every backslash, and '%' is written "%%" so that it
    // is not read as a field code.
    std::string quoted = "\"";
    for (char c : executable) {
        switch (c) {
        case '"': quoted += "\\\\\""; break;
        case '`': quoted += "\\\\`"; break;
        case '$': quoted += "\\\\$"; break;
        case '\\': quoted += "\\\\\\\\"; break;
        case '%': quoted += "%%"; break;
        default: quoted += c;
        }
    }
    return quoted + "\"";
}

bool IsAutostartEntry(const std::string& executable)
{
    std::string text;
    if (executable.empty() || !ReadFileContent(AutostartEntryPath(), text))
        return false;
    const std::string wanted = Upper(AutostartCommand(executable));
    bool inEntry = false, found = false;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos)
            end = text.size();
        std::string line = TrimBlanks(text.substr(pos, end - pos));
        pos = end + 1;
        if (!line.empty() && line.front() == '[') {
            inEntry = line == "[Desktop Entry]";
            continue;
        }
        if (!inEntry)
            continue;
        auto eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        std::string key = TrimBlanks(line.substr(0, eq));
        std::string value = TrimBlanks(line.substr(eq + 1));
        // A hidden or disabled entry does not start anything.
        if ((key == "Hidden" || key == "X-GNOME-Autostart-enabled")
            && Upper(value) == (key == "Hidden" ? "TRUE" : "FALSE"))
            return false;
        if (key == "Exec" && Upper(value).find(wanted) != std::string::npos)
            found = true;
    }
    return found;
}

bool SetAutostartEntry(bool on, const std::string& executable)
{
    const std::string path = AutostartEntryPath();
    if (!on)
        return ::unlink(path.c_str()) == 0 || errno == ENOENT;
    // A line break would end the Exec= line early and start a line of its own.
    if (executable.empty() || executable.find_first_of("\r\n") != std::string::npos
        || !CreateFolderWithParents(FolderOfPath(path)))
        return false;
    std::string text = "[Desktop Entry]\n"
                       "Type=Application\n"
                       "Name=Orlinda\n"
                       "Comment=Напоминание о праздниках и поздравления\n"
                       "Exec=" + AutostartCommand(executable) + "\n"
                       "Terminal=false\n"
                       "X-GNOME-Autostart-enabled=true\n";
    return ReplaceFileContent(path, text);
}

} // namespace orlinda

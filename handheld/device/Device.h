// A virtual handheld: a folder DIR holding
//   files/      the handheld's file system ("\A\B" is files/A/B; names are
//               matched, and listed in order, without regard to case)
//   settings    OS version, Today screen running, ROM files, storage cards,
//               outside windows (and the link's connection settings)
//   registry    the four roots, names without regard to case, UTF-16 text,
//               always replaced whole, never half-written
//   events      the log of what happened on the device, boot by boot
// A Device object holds the device for one command at a time: opening it
// waits for any other holder. The CE call layer, `mrw device` and the
// desktop link's library all work through this class.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mrw::device {

struct OutsideWindow {
    std::u16string className;
    std::u16string title;
};

struct Settings {
    std::uint32_t osMajor = 3;  // 3 = CE 3.0 (Pocket PC 2002), 4 = CE 4.20 (Pocket PC 2003)
    std::uint32_t osMinor = 0;
    bool todayScreen = true;
    std::vector<std::u16string> romFiles;  // device paths
    std::vector<std::u16string> cards;     // root folder names
    std::vector<OutsideWindow> outsideWindows;
    // Lines of the settings file this version does not read (the desktop
    // link's options), kept as they are: name, value (UTF-8).
    std::vector<std::pair<std::string, std::string>> otherSettings;
};

struct InitOptions {
    Settings settings;
};

// One entry of the event log. Fields are kept as name/value pairs in the
// order given; numbers are written as JSON numbers, the rest as strings.
struct EventField {
    std::string name;
    std::string text;       // UTF-8
    bool isNumber = false;  // text holds a decimal number
    bool isBoolean = false;  // text is "true" or "false", written as a JSON boolean
};
struct Event {
    std::string kind;  // start, exit, message, load, unload, height, navigate, call
    std::vector<EventField> fields;
};
// An event as the log holds it, with the number of its boot.
struct LoggedEvent {
    int boot = 0;
    Event event;
};

class FileSystem;  // FileSystem.h
class Registry;    // Registry.h

class Device {
public:
    // Makes a new device in DIR (absent or empty); false with a reason otherwise.
    static bool Create(const std::string& dir, const InitOptions& options, std::string& error);
    // Opens the device, holding it until the object goes; null with a reason
    // when DIR is no device or its files are damaged.
    static std::unique_ptr<Device> Open(const std::string& dir, std::string& error);
    virtual ~Device() = default;

    virtual const Settings& GetSettings() const = 0;
    virtual FileSystem& Files() = 0;
    virtual Registry& Reg() = 0;

    // Event log: BeginBoot numbers the boots 1, 2, ...; Log appends an event
    // of the current boot (written through at once).
    virtual int BeginBoot() = 0;
    virtual void Log(const Event& event) = 0;

    // Writes the registry back (whole, replacing the old file in one step).
    virtual bool Save(std::string& error) = 0;

    // Every event of the log, in order, with its boot number.
    virtual std::vector<LoggedEvent> Events() const = 0;
    // Save, only when the registry changed since the last save: the CE
    // registry calls write each change through at once.
    virtual bool SaveIfChanged(std::string& error) = 0;
};

}  // namespace mrw::device

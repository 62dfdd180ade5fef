// The settings view: every settings class loaded from the machine's registry
// and shown row by row, grouped by the key each value lives in.
#include "cli/settings_command.h"

#include <algorithm>
#include <array>
#include <iomanip>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/machine_folder.h"
#include "cli/secrets.h"
#include "platform/sim/regfile.h"
#include "platform/sim/sim_platform.h"
#include "runtime/text.h"
#include "settings/client_settings.h"
#include "settings/component_settings.h"
#include "settings/gina_settings.h"
#include "settings/network_settings.h"
#include "settings/ras_settings.h"
#include "settings/registry_primitives.h"
#include "settings/trace_settings.h"

namespace veltra::cli {

namespace {

using nlohmann::json;
using settings::StoredAs;
using settings::ValueInfo;

const std::vector<std::string> kClassNames = {"RasSettings",    "GinaSettings",  "NetworkSettings",
                                              "ClientSettings", "TraceSettings", "ComponentSettings"};

// One value as a class loaded it.
struct ValueView {
    std::string key;   // full key name, root included
    std::string name;  // the registry value name
    std::string type;  // "REG_DWORD", "REG_SZ", ...
    bool decimal = false;
    bool read = false;  // whether the class's read of it succeeded
    json value;         // number, text, hex bytes or the mask
    std::string shown;  // the value as the text output shows it
};

struct ClassView {
    std::string name;
    std::string key;  // the class's key, root included
    std::vector<ValueView> values;
};

std::string RootName(platform::HKey root) {
    return root == platform::kHkeyCurrentUser ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
}

// The registry holds ANSI text (Windows-1252); the output is UTF-8.
std::string AnsiToUtf8(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const char16_t unit = sim::WidenAnsi(static_cast<std::uint8_t>(c));
        if (unit < 0x80) {
            out += static_cast<char>(unit);
        } else if (unit < 0x800) {
            out += static_cast<char>(0xC0 | (unit >> 6));
            out += static_cast<char>(0x80 | (unit & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (unit >> 12));
            out += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (unit & 0x3F));
        }
    }
    return out;
}

std::string Hex(std::span<const std::uint8_t> bytes) {
    constexpr std::size_t kShown = 32;
    std::ostringstream text;
    for (std::size_t i = 0; i < std::min(bytes.size(), kShown); ++i) {
        if (i != 0) text << ' ';
        text << std::hex << std::setw(2) << std::setfill('0') << static_cast<unsigned>(bytes[i]);
    }
    if (bytes.size() > kShown) text << " ...";
    return text.str();
}

template <class Settings>
ClassView ViewOf(const std::string& name, const Settings& object, const settings::SettingsContext& context) {
    const settings::SettingsLocation& place = object.place();
    ClassView view{name, RootName(place.root) + "\\" + place.keyPath, {}};
    const settings::ValueStore& values = object.values();
    for (std::size_t row = 0; row < values.size(); ++row) {
        const ValueInfo& info = values.table()[row];
        if (info.save == settings::SaveRule::kAccessorOnly) continue;
        ValueView value;
        value.key = RootName(place.root) + "\\" + settings::RowKeyPath(context, place, info);
        value.name = info.name;
        // Two fields bound to one value ("IsDac") load the same number: one row.
        const auto shownBefore = std::find_if(view.values.begin(), view.values.end(), [&](const ValueView& other) {
            return other.key == value.key && other.name == value.name;
        });
        if (shownBefore != view.values.end()) continue;
        value.type = settings::RegTypeName(settings::WrittenType(info));
        value.decimal = info.stored == StoredAs::kDecimalText;
        value.read = values.lastRead(row) == settings::kRegResultSuccess;
        const settings::ValueField& field = values.field(row);
        if (info.secret || IsSecretValueName(info.name)) {
            value.value = std::string(kMasked);
            value.shown = kMasked;
        } else if (settings::IsNumber(info)) {
            value.value = field.number;
            value.shown = std::to_string(field.number);
        } else if (info.stored == StoredAs::kBinary) {
            value.value = Hex(field.buffer.Data());
            value.shown = value.value.get<std::string>();
        } else {
            value.value = AnsiToUtf8(field.buffer.Text());
            value.shown = "\"" + value.value.get<std::string>() + "\"";
        }
        view.values.push_back(std::move(value));
    }
    return view;
}

ClassView ViewOfComponents(const settings::ComponentSettings& components, settings::Dword installPathRead,
                           const settings::SettingsContext& context) {
    const std::string root = RootName(context.component.root) + "\\";
    ClassView view{"ComponentSettings", root + context.component.keyPath, {}};
    // A component counts as installed when its value reads as the DWORD 1
    // (the utility: when its "InstallDir" reads); the flag is what is shown,
    // and it is always a definite answer.
    const auto flag = [&](std::string key, std::string name, std::string type, settings::Component component) {
        const bool installed = components.IsInstalled(component);
        view.values.push_back({std::move(key), std::move(name), std::move(type), false, true, installed ? 1 : 0,
                               installed ? "installed" : "not installed"});
    };
    for (std::size_t i = 0; i < settings::kComponentValueNames.size(); ++i) {
        flag(root + context.component.keyPath, settings::kComponentValueNames[i], "REG_DWORD",
             static_cast<settings::Component>(i));
    }
    flag(root + settings::kAuthenticatorUtilityKey, "InstallDir", "REG_SZ", settings::Component::AuthenticatorUtility);
    const std::string installPath = AnsiToUtf8(components.installPath().Text());
    view.values.push_back({root + settings::kAgentCommonKey, "InstallPath", "REG_SZ", false,
                           installPathRead == settings::kRegResultSuccess, installPath, "\"" + installPath + "\""});
    return view;
}

ClassView LoadClass(const std::string& name, settings::SettingsContext& context) {
    using namespace settings;
    if (name == "RasSettings") {
        RasSettings object(context);
        object.LoadCurrent();
        return ViewOf(name, object, context);
    }
    if (name == "GinaSettings") {
        GinaSettings object(context);
        object.LoadCurrent();
        return ViewOf(name, object, context);
    }
    if (name == "NetworkSettings") {
        NetworkSettings object(context);
        object.LoadCurrent();
        return ViewOf(name, object, context);
    }
    if (name == "ClientSettings") {
        ClientSettings object(context);
        object.LoadCurrent();
        return ViewOf(name, object, context);
    }
    if (name == "TraceSettings") {
        TraceSettings object(context);
        object.LoadCurrent();
        return ViewOf(name, object, context);
    }
    ComponentSettings object(context);
    const Dword installPathRead = object.LoadCurrent();
    return ViewOfComponents(object, installPathRead, context);
}

void PrintText(const std::vector<ClassView>& views) {
    for (const ClassView& view : views) {
        std::cout << view.name << "\n";
        // Grouped by key, each key where its first value comes in the table.
        std::vector<std::string> keys;
        for (const ValueView& value : view.values) {
            if (std::find(keys.begin(), keys.end(), value.key) == keys.end()) keys.push_back(value.key);
        }
        for (const std::string& key : keys) {
            std::cout << "  " << key << "\n";
            for (const ValueView& value : view.values) {
                if (value.key != key) continue;
                const std::string type = value.type + (value.decimal ? " (decimal)" : "");
                std::cout << "    " << std::left << std::setw(38) << value.name << std::setw(18) << type
                          << value.shown << (value.read ? "" : "  (not read)") << "\n";
            }
        }
    }
}

void PrintJson(const std::vector<ClassView>& views) {
    json classes = json::array();
    for (const ClassView& view : views) {
        json values = json::array();
        for (const ValueView& value : view.values) {
            values.push_back({{"key", value.key},
                              {"name", value.name},
                              {"type", value.type},
                              {"decimalText", value.decimal},
                              {"read", value.read},
                              {"value", value.value}});
        }
        classes.push_back({{"class", view.name}, {"key", view.key}, {"values", values}});
    }
    std::cout << json{{"classes", classes}}.dump(2) << "\n";
}

}  // namespace

void RegisterSettingsCommand(CLI::App& app) {
    struct Options {
        std::string machine;
        std::string className;
        bool json = false;
    };
    auto options = std::make_shared<Options>();
    CLI::App* sub = app.add_subcommand("settings", "Show what each settings class loads from a machine (read-only)");
    sub->add_option("--machine", options->machine, "The machine folder")->required();
    sub->add_option("class", options->className, "One settings class (default: all)")
        ->check(CLI::IsMember(kClassNames, CLI::ignore_case));
    sub->add_flag("--json", options->json, "Print JSON instead of text");
    sub->callback([options] {
        std::string error;
        const auto loaded = LoadedMachine::Open(options->machine, error);
        if (!loaded) throw CLI::ValidationError("--machine", error);
        sim::SimPlatform sim(loaded->machine());
        settings::SettingsContext context(sim.platform().registry);
        std::vector<ClassView> views;
        for (const std::string& name : kClassNames) {
            if (options->className.empty() || runtime::EqualsIgnoreCase(name, options->className)) {
                views.push_back(LoadClass(name, context));
            }
        }
        if (options->json) {
            PrintJson(views);
        } else {
            PrintText(views);
        }
    });
}

}  // namespace veltra::cli

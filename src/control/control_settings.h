#pragma once
// The control's own settings: where its data comes from (the simulated service, the replay of a
// feed folder, layout in feed_service.h, or the bridge to the service's own control,
// bridge_control.h) and the service key. They live in the control's file
// "ServiceControl.dat" in the application folder, beside the betting accounts (betting_account.h),
// and are written atomically. Nothing saved means the simulated service. The environment variable
// VEXMORA_SERVICE, when set, overrides the saved source (the saved choice is kept for later).
#include <filesystem>
#include <string>

namespace vex::control {

enum class SourceKind { Simulated, Feed, Bridge };

struct ControlSettings {
    SourceKind source = SourceKind::Simulated;
    std::string feedFolder;  // as the file system names it; kept even while the simulated service is chosen
    std::string bridgeCommand;  // the bridge's command line (UTF-8), kept while another source is chosen
    std::string serviceKey;  // 17 letters and digits, or empty when none was entered

    bool operator==(const ControlSettings&) const = default;
};

// "ServiceControl.dat" in the application folder.
std::filesystem::path controlSettingsFile();

// The saved settings; a missing file gives the defaults. Throws FileReadError when the file cannot
// be read or does not parse whole: a saved feed source must not turn into the simulated service.
// `file` empty: controlSettingsFile().
ControlSettings loadControlSettings(const std::filesystem::path& file = {});

// Why the settings cannot be saved (CP932 text for the user), empty when they can: a service key
// that is not 17 letters and digits, no feed folder or one that is not an existing folder, no bridge
// command or one that does not split into words.
std::string settingsProblem(const ControlSettings& settings);

// Saves the settings, keeping the rest of the file (under its lock). Returns the problem, with
// nothing written, when settingsProblem finds one or the file cannot be read or written; empty
// when saved.
std::string saveControlSettings(const ControlSettings& settings, const std::filesystem::path& file = {});

// The value of VEXMORA_SERVICE; empty when it is unset or empty (the saved source applies then).
std::string serviceOverride();

// The source the control uses now: VEXMORA_SERVICE when set, else the saved settings.
struct ActiveSource {
    enum Kind { Simulated, Feed, Bridge, Unknown } kind = Simulated;  // Unknown: a value of the variable not understood
    std::string feedFolder;
    std::string bridgeCommand;
    bool fromEnvironment = false;
    std::string text;  // the variable's value when it decided
};
ActiveSource activeSource();

class ControlUi;
// Opens the control's settings dialog and saves what it gives. 0 also when cancelled; -100 when
// the settings cannot be saved (the dialog refuses them first). `sourceChanged`: the saved source
// differs from before.
int editSettingsThroughUi(ControlUi& ui, bool& sourceChanged);

}  // namespace vex::control

#include "platform/sdl/SdlAudioDrivers.h"

#include <dirent.h>
#include <sys/stat.h>
#include <cstdlib>
#include <initializer_list>
#include <string_view>

namespace platform {
namespace {

bool isSet(const char* variable) {
    const char* v = std::getenv(variable);
    return v && *v;
}

bool exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// Whether the folder has an entry whose name starts with one of the prefixes
// (any entry at all without prefixes).
bool hasEntry(const char* folder, std::initializer_list<std::string_view> prefixes = {}) {
    DIR* d = opendir(folder);
    if (!d) return false;
    bool found = false;
    while (const dirent* e = readdir(d)) {
        const std::string_view name = e->d_name;
        if (name == "." || name == "..") continue;
        if (prefixes.size() == 0) found = true;
        for (std::string_view p : prefixes)
            if (name.substr(0, p.size()) == p) found = true;
        if (found) break;
    }
    closedir(d);
    return found;
}

// ALSA's own configuration files besides the system's defaults: any of them
// may define a default output that needs no card.
bool alsaConfigured() {
    if (isSet("ALSA_CONFIG_PATH") || isSet("AUDIODEV")) return true;
    if (exists("/etc/asound.conf") || hasEntry("/etc/alsa/conf.d")) return true;
    if (const char* home = std::getenv("HOME"); home && *home) {
        if (exists(std::string(home) + "/.asoundrc")) return true;
        if (!isSet("XDG_CONFIG_HOME") && exists(std::string(home) + "/.config/alsa/asoundrc")) return true;
    }
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config)
        if (exists(std::string(config) + "/alsa/asoundrc")) return true;
    return false;
}

}  // namespace

SoundHardware probeSoundHardware() {
    SoundHardware h;
    h.userChoice = isSet("SDL_AUDIODRIVER");
    // A card has a control device and its PCM devices.
    h.soundCard = hasEntry("/dev/snd", {"controlC", "pcmC"});
    h.alsaRouting = alsaConfigured();
    // sndiod's sockets live in /tmp/sndio; AUDIODEVICE names a server.
    h.sndioServer = isSet("AUDIODEVICE") || exists("/tmp/sndio");
    return h;
}

AudioDriverPlan planAudioDrivers(const std::vector<std::string>& available, const SoundHardware& hardware) {
    AudioDriverPlan plan;
    if (hardware.userChoice || hardware.soundCard) return plan;
    plan.sdlChooses = false;
    for (const std::string& name : available) {
        if (name == "disk" || name == "dummy") continue;
        if (name == "alsa" && !hardware.alsaRouting) continue;
        if (name == "sndio" && !hardware.sndioServer) continue;
        if (!plan.drivers.empty()) plan.drivers += ',';
        plan.drivers += name;
    }
    return plan;
}

}  // namespace platform

#include "FlowSetting.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "Manifest.h"
#include "audio/SoundStream.h"
#include "object/ResourceManager.h"
#include "util/Random.h"

namespace flowtest {

FlowSetting::FlowSetting(const char* folderPrefix) {
    std::string pattern = std::string("/tmp/") + folderPrefix + "-XXXXXX";
    if (mkdtemp(pattern.data())) folder = pattern + "/";
    files.baseFolder = folder;
}

FlowSetting::~FlowSetting() {
    uninstallServices();
    owned.clear();
    std::error_code ec;
    if (!folder.empty()) std::filesystem::remove_all(folder, ec);
    if (bSeeded) randomState = savedRandom;
}

void FlowSetting::seedRandom() {
    if (!bSeeded) savedRandom = randomState;
    bSeeded = true;
    randomState = 7;
}

void FlowSetting::installServices(GameConfiguration& config) {
    services.config = &config;
    services.profileManager = std::make_unique<ProfileManager>();
    services.profileManager->addProfile(u"Tester");
    savedServices = GameServices::install(&services);
    bInstalled = true;
}

void FlowSetting::uninstallServices() {
    if (!bInstalled) return;
    GameServices::install(savedServices);
    bInstalled = false;
    services.profileManager.reset();
}

void FlowSetting::addMusic(ResourceManager& resources) {
    for (const content::Entry& e : content::manifest())
        if (e.kind == content::Kind::Music)
            resources.addResource(narrowToWide(e.name), owned.emplace_back(std::make_unique<SoundStream>()).get());
}

void FlowSetting::writeFile(const std::string& name, const std::vector<uint8_t>& bytes) const {
    const std::string path = folder + name;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace flowtest

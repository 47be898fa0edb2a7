#include "Placeholders.h"

#include <memory>
#include <utility>
#include <vector>

#include "Manifest.h"
#include "Painter.h"
#include "audio/Sound.h"
#include "gfx/MemoryImageFile.h"
#include "gfx/Texture.h"
#include "object/ResourceManager.h"

namespace leveltest {

namespace {

struct Placeholders {
    std::vector<std::pair<WString, std::unique_ptr<Texture>>> textures;
    std::vector<std::pair<WString, std::unique_ptr<Sound>>> sounds;

    Placeholders() {
        for (const content::Entry& e : content::manifest()) {
            const WString name = narrowToWide(e.name);
            if (e.kind == content::Kind::Texture && !e.frames.empty()) {
                const contentgen::SheetLayout layout = contentgen::layoutSheet(e.frames);
                MemoryImageFile image(layout.width, layout.height);
                auto t = std::make_unique<Texture>(&image);
                t->applySkinDescription(contentgen::skinDescription(e, layout), name);
                textures.emplace_back(name, std::move(t));
            } else if (e.kind == content::Kind::Sound) {
                auto s = std::make_unique<Sound>(e.loop, e.playbacks, std::vector<float>(64, 0.0f), 1, 22050);
                s->minPitch = e.minPitch;
                s->maxPitch = e.maxPitch;
                s->minInterval = e.interval;
                sounds.emplace_back(name, std::move(s));
            }
        }
    }
};

}  // namespace

void registerPlaceholders(ResourceManager& resources) {
    static const Placeholders p;
    for (auto& [name, t] : p.textures) t->registerSkins(resources, name);
    for (auto& [name, s] : p.sounds) resources.addResource(name, s.get());
}

}  // namespace leveltest

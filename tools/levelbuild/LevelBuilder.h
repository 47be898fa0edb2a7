#pragma once
// The level builder: turns a level's text description (LevelDescription.h)
// into its level file. A draft level (a game server started without a
// level, in edit mode) holds the starter content of every level; the
// description edits it and adds objects through the game's own classes:
// each new object is made by its class, registered, put into its list,
// built by its construct call and finished as a placed object is. The
// level file is the draft's whole state.
//
// The starter content goes by these labels: "hero", "house", "apple" (the
// one apple), "terrain", the terrain's three bands "grassFringe",
// "grassBand" and "earthBand", and the grassy placed object "grassPatch".
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "LevelDescription.h"
#include "util/WString.h"

class LevelDraft;
class Property;
class ZubBase;

namespace levelbuild {

class LevelBuilder {
public:
    LevelBuilder(LevelDraft& draft, const LevelDescription& description);

    // Applies every block in order. False with "<file>:<line>: <what>" in
    // `error` at the first line that names an unknown class, object,
    // property or list, gives a value the property cannot take, or names
    // a text that is no string identifier.
    bool build(std::string& error);

    // The object a label names, or null.
    ZubBase* find(std::u16string_view label) const;

private:
    bool levelBlock(const DescriptionBlock& block);
    bool terrainBlock(const DescriptionBlock& block);
    bool editBlock(const DescriptionBlock& block);
    bool newBlock(const DescriptionBlock& block);
    // One property line (or an action call, or a drawing-order line) on `o`.
    bool apply(ZubBase* o, const DescriptionLine& line);
    bool drawOrder(ZubBase* o, const DescriptionLine& line);
    // Sets a property from the words; `what` names it in errors.
    bool assign(Property* p, const std::vector<WString>& values, const WString& what, int line);
    bool assignOne(Property* p, const WString& value, const WString& what, int line);
    bool label(const WString& name, ZubBase* o, int line);
    bool fail(int line, const std::string& message);

    LevelDraft& draft;
    const LevelDescription& description;
    std::map<WString, ZubBase*, std::less<>> labels;
    std::string errorText;
};

// Builds the level file of a description read from `text`; the file's name
// goes into errors and its stem into the editor's level name. Needs a
// LevelEnvironment (resources and game services) to exist.
bool buildLevelFile(std::string_view text, const std::string& fileName, std::vector<uint8_t>& out, std::string& error);

}  // namespace levelbuild

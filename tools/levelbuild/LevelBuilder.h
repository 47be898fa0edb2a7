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
    // property or list, gives a value the property cannot take (or a whole
    // number outside the range its class reads it in), names a text that is
    // no string identifier, gives a call arguments it cannot work with,
    // leaves an object with values its class refuses, sets one of the
    // controller's own objects (its lists and contexts) or makes a second
    // hero or house.
    bool build(std::string& error);

    // The object a label names, or null.
    ZubBase* find(std::u16string_view label) const;
    // Every label with its object (the starter content's too).
    const std::map<WString, ZubBase*, std::less<>>& allLabels() const { return labels; }
    // The description's file name, as errors give it.
    const std::string& fileName() const { return description.file; }
    // The line that placed the object: its 'new' line, or the 'edit' line of
    // the last block that set its position (of the first block that edited
    // it, when none did); 0 for an object the description leaves as it is.
    int lineOf(const ZubBase* o) const;

private:
    bool levelBlock(const DescriptionBlock& block);
    bool terrainBlock(const DescriptionBlock& block);
    bool editBlock(const DescriptionBlock& block);
    bool newBlock(const DescriptionBlock& block);
    // One property line (or an action call, or a drawing-order line) on `o`.
    bool apply(ZubBase* o, const DescriptionLine& line);
    bool drawOrder(ZubBase* o, const DescriptionLine& line);
    // The property at `path` on `o` (or its action, called), set from the
    // line's words after the first.
    bool property(ZubBase* o, std::u16string_view path, const DescriptionLine& line);
    // A path's next vertex ("point"), one its construct call made moved
    // ("vertex"), the path
    // closed ("loop"), a chain of an object's collision outline ("hull"),
    // an area's outline along its shape ("outline").
    bool pathPoint(ZubBase* o, const DescriptionLine& line);
    bool pathVertex(ZubBase* o, const DescriptionLine& line);
    bool pathLoop(ZubBase* o, const DescriptionLine& line);
    bool hullChain(ZubBase* o, const DescriptionLine& line);
    bool areaOutline(ZubBase* o, const DescriptionLine& line);
    // The words from `first` on as numbers; false (with the error) for a
    // word that is none.
    bool numbers(const DescriptionLine& line, size_t first, std::vector<double>& out);
    // Sets a property from the words; `what` names it in errors.
    bool assign(Property* p, const std::vector<WString>& values, const WString& what, int line);
    bool assignOne(Property* p, const WString& value, const WString& what, int line);
    bool label(const WString& name, ZubBase* o, int line);
    // Once the level's own terrain has a depth: the earth band fills the
    // ground down to the bottom row unless the description dressed it.
    void dressDeepGround();
    // After a line of a block on `o`: `faultLine` becomes the line at which
    // the object's values turned into ones its class refuses
    // (ZubBase::valueFault), and 0 again once they are fine.
    void noteValues(const ZubBase* o, int line, int& faultLine);
    // At the end of a block: false with "<file>:<line>: <why>" when the
    // object's values are refused (the line that made them so, else the
    // block's header).
    bool checkValues(const ZubBase* o, int faultLine, int headerLine);
    bool fail(int line, const std::string& message);

    LevelDraft& draft;
    const LevelDescription& description;
    std::map<WString, ZubBase*, std::less<>> labels;
    // How many vertices each new path's construct call made.
    std::map<const ZubBase*, int> madeVertices;
    // lineOf's answers.
    std::map<const ZubBase*, int> placedAt;
    // Whether a 'terrain' block gave the level's own terrain a depth, and
    // whether an 'edit' block set the earth band's texture or flags.
    bool deepGround = false;
    bool bandDressed = false;
    std::string errorText;
};

// A level built from its description, ready to be played.
struct BuiltLevel {
    std::string name;  // the description's stem ("a1")
    // The level's number by its name ("a1" 0 ... "h9" 31); a description
    // whose name is no level's is played as level 0.
    int number = 0;
    std::vector<uint8_t> bytes;  // the level file
    // The UID of every labelled object (the file keeps the UIDs).
    std::map<WString, int32_t, std::less<>> labels;
    // What keeps it from shipping as it is (LevelCheck.h), found on the
    // draft; a level with problems is still built.
    std::vector<std::string> problems;
    // The level's map picture as a TGA file (LevelMinimap.h), for a level
    // whose name is that of a level with a map; empty otherwise.
    std::vector<uint8_t> minimap;
};

// Builds the level file of a description read from `text`; the file's name
// goes into errors and its stem into the editor's level name. Needs a
// LevelEnvironment (resources and game services) to exist.
bool buildLevelFile(std::string_view text, const std::string& fileName, std::vector<uint8_t>& out, std::string& error);
bool buildLevel(std::string_view text, const std::string& fileName, BuiltLevel& out, std::string& error);

// The number of a level's name: the valley's letter a to h, then 1, 2, 3 or
// 9 (the valley's bonus level); "a1" is 0, "a9" 3, "h9" 31. -1 for a name
// that is no level's.
int levelNumberOf(std::string_view name);
// "a1" for 0 ... "h9" for 31.
std::string levelNameOf(int number);

}  // namespace levelbuild

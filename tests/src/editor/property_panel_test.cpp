// The editor panel's properties are part of every level file: their names,
// kinds and order, and the bytes of a panel's body, are locked here. A
// change to them is a change of the level-file format.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/EditorPropertyPanel.h"
#include "net/Packet.h"
#include "object/Property.h"

namespace {

void listProperties(const Property* container, const std::string& prefix, std::vector<std::string>& out) {
    for (const Property* p : childrenOf<Property>(container)) {
        const std::string name = prefix + wideToNarrow(WString(p->getName()));
        out.push_back(name + ":" + wideToNarrow(p->getClass()->getName()));
        listProperties(p, name + ".", out);
    }
}

std::string hex(const Packet& p) {
    std::string s;
    for (int i = 0; i < p.length(); ++i) s += "0123456789abcdef"[p.data()[i] >> 4], s += "0123456789abcdef"[p.data()[i] & 15];
    return s;
}

}  // namespace

TEST(EditorPropertyPanel, LevelFilesKeepItsPropertiesAndTheirBytes) {
    EditorPropertyPanel panel;
    PropertyContainer* c = panel.createPropertyContainer();
    std::vector<std::string> names;
    listProperties(c, "", names);
    deleteObject(c);
    const std::vector<std::string> expected = {
        "objectUID:PropertyInt",         "StateBase:PropertyContainer",
        "StateBase.state:PropertyInt",   "StateBase.timeInState:PropertyDouble",
        "StateBase.stateLeft:PropertyDouble", "StateBase.stateGoto:PropertyInt",
        "bShowHulls:PropertyBool",       "bShowBezierPaths:PropertyBool",
        "bShowTriggerAreas:PropertyBool", "editorCamera:PropertyContainer",
        "editorCamera.x:PropertyFloat",  "editorCamera.y:PropertyFloat",
        "editorCamera.z:PropertyFloat",  "levelName:PropertyUString",
        "showClassConstructors:PropertyRPCBase"};
    EXPECT_EQ(names, expected);
    // A new panel shows every editor view, stands half a screen in front
    // of the level and names no level.
    EXPECT_TRUE(panel.bShowHulls && panel.bShowBezierPaths && panel.bShowTriggerAreas);
    EXPECT_EQ(panel.editorCamera, V3(0.0f, 0.0f, -512.0f));
    EXPECT_EQ(panel.levelName, u"none");

    panel.objectUID = 42;
    panel.bShowHulls = false;
    panel.bShowTriggerAreas = false;
    panel.editorCamera = V3(1.5f, -2.0f, -256.0f);
    panel.levelName = u"a1";
    Packet p(Packet::FLAG_NETWORK | Packet::FLAG_RAW_CLASSES, 256);
    panel.netSerialize(p);
    EXPECT_EQ(hex(p), "0000000000000000000002003e00c000dc025c0cfbfcfdfe00");

    p.rewindToRead();
    EditorPropertyPanel copy;
    copy.objectUID = 42;
    copy.netSerialize(p);
    EXPECT_FALSE(p.failed());
    EXPECT_FALSE(copy.bShowHulls || copy.bShowTriggerAreas);
    EXPECT_TRUE(copy.bShowBezierPaths);
    EXPECT_EQ(copy.editorCamera, panel.editorCamera);
    EXPECT_EQ(copy.levelName, u"a1");
}

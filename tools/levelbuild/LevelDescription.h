#pragma once
// The text form of a level (content/levels/<name>.txt), read line by line.
//
// A block starts with a line at the left margin; the lines indented below it
// belong to it. Words are separated by blanks; a word in double quotes may
// hold blanks (\" and \\ inside stand for " and \). '#' outside quotes
// starts a comment that runs to the end of the line. The text is UTF-8.
//
//   level                       the game controller's level keys
//       applesNeeded 3          one property per line: name, then value(s)
//       playingArea -2048 3072 2048 0
//   terrain [label]             the ground line of a terrain (the level's own)
//       ground x h x h ...      top heights: straight lines between points
//       depth d                 the bottom row lies d below the top; the
//                               level's own terrain is then earth down to
//                               it: its band "grassBand" takes the texture
//                               ground-dirt:0 repeating down the depth, level
//                               with the height (skinFlags 389: 1 flipped
//                               below the surface, 4 upright, 128 repeating,
//                               256 spanning both rows), unless the
//                               description sets the band's pSkinRefQuad or
//                               skinFlags itself
//   edit <label>                an object that exists (the level's hero,
//       position -1800 64 0     house, apple, terrain ...): its properties
//   new <Class> [label]         a new object of the C++ class (every class
//                               that can be placed, its construct arguments
//                               and its properties: levelbuild --classes)
//       list appleList          the controller's list it joins
//       draw before <label>     drawing order (or: draw after <label>)
//       construct ...           the arguments of its construct call
//       position 100 40 0       then its properties
//       point x y               a path's next vertex, in its own frame (after
//                               those its construct call made)
//       vertex i x y            moves the path's vertex i (from 0), one its
//                               construct call made (a fence's two, a
//                               skinned path's two), to x y
//       loop                    the path joins its last vertex to its first
//       hull x y x y ...        a chain of collision outline points in the
//                               object's frame, each joined to the one
//                               before; "hull closed x y ..." closes the
//                               chain (only an outline's first chain).
//                               The solid side lies to the right of the
//                               direction of travel: a floor runs left to
//                               right, a solid block is walked clockwise
//       hull.bHeroOnly yes      a property of the object's collision outline
//                               (once a 'hull' or 'outline' line made it)
//       outline                 an area's outline along its rectangle or
//                               round its circle (after its shape), which
//                               bodies pass through and splash into its
//                               water or mud at
//
// A path's vertices get their tangents as the editor's adding them one by
// one makes them: each points a quarter of the way back to the vertex before
// (the first a quarter of the way on to the second); a 'vertex' line sets
// them all so again.
//
// A property is named by its name in the class (a dotted path reaches the
// members of a group: "position.x"); a group given as many values as it has
// members takes them in order. Pointers and references name objects by
// label, skin resources by their name ("sweets:3").
#include <string>
#include <string_view>
#include <vector>

#include "util/WString.h"

namespace levelbuild {

struct DescriptionLine {
    int number = 0;              // in the file, from 1
    std::vector<WString> words;  // at least one
};

struct DescriptionBlock {
    DescriptionLine header;  // words[0] is the block's kind
    std::vector<DescriptionLine> lines;
};

struct LevelDescription {
    std::string file;  // the name errors give
    std::vector<DescriptionBlock> blocks;
};

// Splits the text into blocks and words. False with "<file>:<line>: <what>"
// in `error` for a line that cannot be read (an unclosed quote, an indented
// line before the first block, text that is not UTF-8).
bool parseDescription(std::string_view text, const std::string& file, LevelDescription& out, std::string& error);

// "<file>:<line>: <message>", the name and the message printable (a word
// of the file quoted in it is shown whole, control characters escaped).
std::string describeError(const std::string& file, int line, const std::string& message);

}  // namespace levelbuild

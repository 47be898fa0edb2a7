#pragma once
// A frame of a level in play as a picture: the level is played from its
// file through the level manager (with a key script), each frame drawn as
// the game draws it, and the chosen frame is drawn by the OpenGL device into
// an off-screen window (SDL's offscreen driver), read back and written as a
// PNG. For looking at a level as a player sees it.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class GameController;

namespace levelbuild {

class KeyScript;
class LevelEnvironment;

// Plays level `number` of the environment (its file written there before)
// to `frame` (negative: the first frame of play, after the opening) and
// writes that frame, 1024 x 768 pixels, to `png`. False with the reason when
// no off-screen OpenGL window can be made or the file cannot be written.
bool drawLevelPicture(LevelEnvironment& environment, const KeyScript& script, int frame, const std::string& png,
                      std::string& error, int number = 0);

// The same frame into `pixels` (ARGB, rows top-down, 1024 x 768): the whole
// screen, or what `draw` draws over the clear (black) when it is given.
bool captureLevelFrame(LevelEnvironment& environment, const KeyScript& script, int frame, std::vector<uint32_t>& pixels,
                       std::string& error, int number = 0, const std::function<void(GameController&)>& draw = nullptr);

inline constexpr int kPictureWidth = 1024, kPictureHeight = 768;

// Writes such a frame to `png` through writeOutputFile (OutputFile.h); false
// with the reason when it cannot.
bool writeLevelPicture(const std::vector<uint32_t>& pixels, const std::string& png, std::string& error);

}  // namespace levelbuild

#include "Readme.h"

namespace contentgen {

std::string readmePage() {
    return R"(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>Tumbrodemo - Manual</title>
<style>
body { font-family: sans-serif; max-width: 44em; margin: 2em auto; line-height: 1.4; }
table { border-collapse: collapse; }
td, th { border: 1px solid #999; padding: 0.2em 0.6em; text-align: left; }
code { background: #eee; }
</style>
</head>
<body>
<h1>Tumbrodemo</h1>

<h2>How to play</h2>
<p>Mrs. Tumbro, the mother pig, gathers apples for her family. Nudge the
apples out of the trees and roll them home into her house. A level is
complete when enough apples are inside the house and she waits there. Keep
the apples away from mud, acid, worms and hungry animals, and watch the
clock: the time can run out. Sweets, secret areas and a fast finish earn
extra points. The first levels show the controls as you play.</p>
<p>Choose <b>Play</b> on the main menu to open the valley map and pick a
level; each finished level opens the next one.</p>

<h2>Controls</h2>
<table>
<tr><th>Action</th><th>Keyboard</th><th>Game pad</th></tr>
<tr><td>Move left / right</td><td>Cursor left / right</td><td>Left / right</td></tr>
<tr><td>Jump</td><td>Space</td><td>First button</td></tr>
<tr><td>Use / carry</td><td>X</td><td>Up</td></tr>
<tr><td>Show statistics</td><td>Enter</td><td>Second button</td></tr>
<tr><td>Show level map</td><td>M</td><td>Third button</td></tr>
<tr><td>In-game menu</td><td>Esc</td><td></td></tr>
</table>
<p>The keys and buttons can be changed under <b>Options &gt; Controls</b>:
pick an action, then press the key or button to use (Esc cancels). In the
menus, the cursor keys or the pad move between the items and Enter or the
first pad button chooses; the mouse and touch work as well.</p>

<h2>Saved files</h2>
<p>The game keeps its files in <code>$XDG_DATA_HOME/Velmora studios/Tumbrodemo/1.25/</code>
(without <code>XDG_DATA_HOME</code>: <code>~/.local/share/Velmora studios/Tumbrodemo/1.25/</code>):</p>
<ul>
<li><code>Tumbrodemo.hst</code>: the options, the controls and the high scores;</li>
<li><code>Tumbrodemo.pro</code>: the players and their progress;</li>
<li><code>Tumbrodemo.cfg</code>: the program's settings, such as the language;</li>
<li><code>Tumbrodemo.log</code>: the program's log.</li>
</ul>
<p>Delete the folder to start afresh. A saved file that the game cannot read
is kept beside it with the ending <code>.bad</code>.</p>
</body>
</html>
)";
}

}  // namespace contentgen

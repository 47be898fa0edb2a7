// The English texts of identifiers 440 to 836: menus, options, network, error reports, intro, ending, credits,
// the valley map and level play.
#include "lang/TextTables.h"

void fillEnglishMenus(TextRow& t) {
    // Common words: buttons and short status lines.
    t[SID_CONFIRM] = u"Are you sure?";
    t[SID_YES] = u"Yes";
    t[SID_NO] = u"No";
    t[SID_OK] = u"OK";
    t[SID_DONE] = u"Done";
    t[SID_APPLY] = u"Apply";
    t[SID_OFF] = u"Off";
    t[SID_ON] = u"On";
    t[SID_BACK] = u"\u0009  Back";
    t[SID_NEXT] = u"Next  \u000A";
    t[SID_CANCEL] = u"\u0002  Cancel";
    t[SID_FINISH] = u"Finish";
    t[SID_HELP] = u"Help";
    t[SID_QUIT] = u"\u0002  Quit";
    t[SID_SKIP] = u"Skip";
    t[SID_STARTINGDOTS] = u"Starting...";
    t[SID_CONNECTED] = u"Connected.";
    t[SID_FAILED] = u"Failed.";
    t[SID_SUCCESS] = u"Success!";
    t[SID_DONEDOT] = u"Done.";
    t[SID_STOP] = u"Stop";

    // Players and the main menu.
    t[SID_PLAYERS] = u"Players";
    t[SID_CLICKTOCHANGEPLAYERS] = u"Click here to change players.";
    t[SID_ENTERYOURNAME] = u"Enter your name";
    t[SID_HELLO] = u"Hello, %s!";
    t[SID_ADDPLAYER] = u"Add player";
    t[SID_DELETEPLAYER] = u"Delete player";
    t[SID_STARTGAME] = u"Play";
    t[SID_HIGHSCORES] = u"High scores";
    t[SID_OPTIONS] = u"Options";
    t[SID_OPTIONSDOTS] = u"Options...";
    t[SID_WEBSITE] = u"Website";
    t[SID_WEBSITEHINT] = u"Visit the Velmora studios website (the game will close)";

    // Options: gameplay, graphics and sound.
    t[SID_GAMEPLAY] = u"Gameplay";
    t[SID_ALLOWCHEATS] = u"Allow cheats";
    t[SID_ALLOWCHEATSHINT] = u"Lets you use cheat codes while you play";
    t[SID_TUTORIAL] = u"In-game help";
    t[SID_TUTORIALHINT] = u"Shows hints that explain the game while you play";
    t[SID_COLORBLIND] = u"Colour-blind mode";
    t[SID_COLORBLINDHINT] = u"Makes the colours of the game easier to tell apart";
    t[SID_SHOWCLOCK] = u"In-game clock";
    t[SID_SHOWCLOCKHINT] = u"Shows how long you have been playing the level";
    t[SID_GRAPHICS] = u"Graphics";
    t[SID_DETAIL] = u"Detail";
    t[SID_DETAILHINT] = u"Low detail makes the game run faster on older computers";
    t[SID_ENUMDETAIL0] = u"Low";
    t[SID_ENUMDETAIL1] = u"High";
    t[SID_ADVANCEDOPTIONS] = u"Advanced";
    t[SID_VIDEOMODE] = u"Resolution";
    t[SID_VIDEOMODEHINT] = u"The screen resolution used in full screen mode";
    t[SID_FULLSCREEN] = u"Full screen";
    t[SID_FULLSCREENHINT] = u"Play in full screen or in a window";
    t[SID_LETTERBOX] = u"Letterbox";
    t[SID_LETTERBOXHINT] = u"Keeps the picture's proportions by adding black bars";
    t[SID_VSYNC] = u"V-Sync";
    t[SID_VSYNCHINT] = u"Waits for the screen to refresh: a smoother picture, but it may be slower";
    t[SID_MAXIMUMFPS] = u"Maximum frame rate";
    t[SID_MAXIMUMFPSHINT] = u"The largest number of pictures per second the game will draw";
    t[SID_BILINEARFILTER] = u"Smooth graphics";
    t[SID_BILINEARFILTERHINT] = u"Smooths the graphics when they are drawn larger or smaller";
    t[SID_SHOWFPS] = u"Show frame rate";
    t[SID_SHOWFPSHINT] = u"Shows the number of pictures per second in a corner of the screen";
    t[SID_SOUND] = u"Sound";
    t[SID_SOUNDQUALITY] = u"Sound quality";
    t[SID_SOUNDQUALITYHINT] = u"Takes effect the next time you start the game";
    t[SID_ENUMSOUNDQUALITY0] = u"Low";
    t[SID_ENUMSOUNDQUALITY1] = u"High";
    t[SID_ENUMSOUNDQUALITY2] = u"Very high";
    t[SID_SOUNDVOLUME] = u"Effects volume";
    t[SID_MUSICVOLUME] = u"Music volume";
    t[SID_INGAMEMUSIC] = u"In-game music";
    t[SID_INGAMEMUSICHINT] = u"Plays music while you are in a level";
    t[SID_MUTEAUDIO] = u"Mute";
    t[SID_MUTEAUDIOHINT] = u"Turns off all sound and music";

    // Controls.
    t[SID_CONTROLS] = u"Controls";
    t[SID_CONTROLSHINT] = u"Press the key or button you want to use. Esc cancels.";
    t[SID_CONTROLSUP] = u"Use/Carry";
    t[SID_CONTROLSLEFT] = u"Move left";
    t[SID_CONTROLSRIGHT] = u"Move right";
    t[SID_CONTROLSFIRE] = u"Jump";
    t[SID_CONTROLSALTFIRE] = u"Show statistics";
    t[SID_CONTROLSMAP] = u"Show level map";
    t[SID_CONTROLSINGAMEMENU] = u"In-game menu";
    t[SID_CONTROLSINGAMEMENUHINT] = u"The in-game menu always opens with the Esc key";
    t[SID_CONTROLS0] = u"Main controls";
    t[SID_CONTROLS0DOTS] = u"Main controls...";
    t[SID_CONTROLS2] = u"Alternative controls";
    t[SID_CONTROLS2DOTS] = u"Alternative controls...";

    // Input devices.
    t[SID_DEVICE_KEYBOARD] = u"Keyboard";
    t[SID_DEVICE_MOUSE] = u"Mouse";
    t[SID_DEVICE_JOYSTICK] = u"Joystick";
    t[SID_DEVICE_GAMEPAD] = u"Gamepad";
    t[SID_DEVICE_TOUCHSCREEN] = u"Touchscreen";

    // Language.
    t[SID_CHANGELANGUAGE] = u"Language";
    t[SID_CHANGELANGUAGETEXT] = u"Please restart the game|and select your new language.";

    // Network test and speed test.
    t[SID_NETWORKWIZARD] = u"Network test";
    t[SID_NETWORKWIZARDDOTS] = u"Network test...";
    t[SID_NETTESTINTRO1] = u"This test checks that the game can reach the Velmora studios server.";
    t[SID_NETTESTINTRO2] = u"The game needs it to share your high scores with players all over the world.";
    t[SID_NETTESTINTRO3] = u"Please make sure that your computer is connected to the Internet.";
    t[SID_NETTESTINTRO4] = u"Click Next to start the test.";
    t[SID_RUNTESTONDESKTOP] = u"Test in a window";
    t[SID_RUNTESTONDESKTOPHINT] = u"Switches to a window, so that your firewall can ask for permission";
    t[SID_NETTESTSUCCESS] = u"The connection works!";
    t[SID_NETTESTFAIL1] = u"The server could not be reached. You can go on anyway and try again later.";
    t[SID_FPSTESTTITLE] = u"Speed test";
    t[SID_FPSTESTINTRO1] = u"This test checks how smoothly the game runs on your computer.";
    t[SID_FPSTESTINTRO2] = u"It only takes a few seconds.";
    t[SID_FPSTESTRESULT] = u"Average frames per second: %.1lf";
    t[SID_FPSTESTFAIL1] = u"Your computer seems to be too slow for this game.";
    t[SID_FPSTESTFAIL2] = u"You need at least %.0lf frames per second.";
    t[SID_NETCONFIGTITLE] = u"Network settings";
    t[SID_SELECTYOURCOUNTRY] = u"Your country";
    t[SID_SELECTYOURCOUNTRYHINT] = u"Your uploaded high scores are listed under this country";
    t[SID_WORLDMAPHINT1] = u"Click on the map to show where you live.";
    t[SID_WORLDMAPHINT2] = u"The spot is only used for the world-wide high score map.";
    t[SID_CHECKCONNECTION] = u"Please check your Internet connection.";

    // High scores.
    t[SID_HIGHSCOREOPTIONSDOTS] = u"More options...";
    t[SID_HIGHSCOREOPTIONS] = u"High score options";
    t[SID_UPLOADSCORES] = u"Upload scores";
    t[SID_UPLOADSCORESHINT] = u"Sends your best results to the world-wide high score table";
    t[SID_UPLOADTEXT1] = u"Your high scores will now be sent to the Velmora studios server.";
    t[SID_UPLOADTEXT2] = u"Only your player names, your country and your results are sent.";
    t[SID_UPLOADTEXT3] = u"Click Next to start.";
    t[SID_FAILEDWITHCODE] = u"Failed with status code: %d";
    t[SID_WORLDWIDESCORES] = u"World-wide scores";
    t[SID_WORLDWIDESCORESHINT] = u"See how you compare with players all over the world (the game will close)";
    t[SID_RESETSCORES] = u"Reset scores";
    t[SID_RESETSCORESHINT] = u"Deletes every entry of your local high score table";

    // Help.
    t[SID_HELPTITLE] = u"Help";
    t[SID_DOCUMENTATION] = u"Manual";
    t[SID_DOCUMENTATIONHINT] = u"Opens the game's manual (the game will close)";
    t[SID_ONLINEHELP] = u"Online help";
    t[SID_ONLINEHELPHINT] = u"Opens the help pages on the Velmora studios website (the game will close)";

    // Error reports, and the server's refusals of a network game.
    t[SID_ERRORREPORTTITLE] = u"Error report";
    t[SID_ERRORREPORTINTRO1] = u"Sorry, the game closed unexpectedly last time.";
    t[SID_ERRORREPORTINTRO2] = u"You can help us to fix this by sending an error report to Velmora studios.";
    t[SID_ERRORREPORTINTRO3] =
        u"The report holds the game's log, with your user name, your computer's name, the players' names and the "
        u"game's folders, the details of the crash, a screenshot and the recent network traffic. Click Next to send "
        u"it.";
    t[SID_ERRORREPORTWIZARD1] = u"Before you can send it, the network test has to run once.";
    t[SID_ERRORREPORTWIZARD2] = u"Click Network test to start it.";
    t[SID_ERRORREPORTUPLOADING] = u"Uploading error data (%s bytes).";
    t[SID_ERRORREPORTPLEASEWAIT] = u"Please wait...";
    t[SID_ERRORSERVERISFULL] = u"Server is full.";
    t[SID_ERRORINCOMPATIBLEGAME] = u"Incompatible game.";
    t[SID_ERRORMINVERSIONCLIENT] = u"You need at least version %s of the game (you have %.2lf).";
    t[SID_ERRORMINVERSIONSERVER] = u"Server must be at least version %s of the game (it's %.2lf).";

    // Network games: connections and the reasons for leaving.
    t[SID_CONNECTEDTO] = u"Connected to %s";
    t[SID_DISCONNECTEDFROM] = u"Disconnected from %s";
    t[SID_QUITDISCONNECTED] = u"The connection was lost.";
    t[SID_QUITUSERQUIT] = u"The player left the game.";
    t[SID_QUITGAMEOVER] = u"Game over.";
    t[SID_QUITPLAYBACKFINISHED] = u"The replay has finished.";
    t[SID_QUITEMERGENCY] = u"The game had to stop.";
    t[SID_QUITUNKNOWN] = u"The game ended for an unknown reason.";
    t[SID_PLAYERJOINED] = u"Player '%s' joined.";
    t[SID_PLAYERLEFT] = u"Player '%s' has left the game.";
    t[SID_INVITINGPLAYERS] = u"Inviting players...";

    // The intro story: screen s, line l is INTROsl.
    t[SID_VELMORASTUDIOS] = u"Velmora studios";
    t[SID_PRESENTS] = u"presents";
    t[SID_INTRO11] = u"Far away, in the green valleys of Vorur Arudad,";
    t[SID_INTRO12] = u"lives a mother pig called Mrs. Tumbro";
    t[SID_INTRO13] = u"with her three little piglets.";
    t[SID_INTRO21] = u"And her piglets love nothing more than apple cake!";
    t[SID_INTRO31] = u"Every year, when the apples are ripe,";
    t[SID_INTRO32] = u"Mrs. Tumbro rolls them home from the orchards";
    t[SID_INTRO33] = u"to bake her famous apple cake.";
    t[SID_INTRO41] = u"But this year, the recipe has vanished!";
    t[SID_INTRO51] = u"A gust of wind blew its pages away,";
    t[SID_INTRO52] = u"and now they lie scattered";
    t[SID_INTRO53] = u"across all eight valleys.";
    t[SID_INTRO61] = u"So Mrs. Tumbro sets off once more,";
    t[SID_INTRO62] = u"from the first blossoms of spring";
    t[SID_INTRO63] = u"to the first snow of winter.";
    t[SID_INTRO71] = u"Let's help her bring the apples home!";

    // The ending: screen s, line l is WINsl; the WIN8 lines follow the credits.
    t[SID_WIN11] = u"Hooray!";
    t[SID_WIN21] = u"The last apple of the year is home!";
    t[SID_WIN31] = u"The larder is full,";
    t[SID_WIN32] = u"the oven is warm,";
    t[SID_WIN33] = u"and the whole house smells of cinnamon.";
    t[SID_WIN41] = u"The piglets can hardly wait...";
    t[SID_WIN51] = u"A pinch of cinnamon,";
    t[SID_WIN52] = u"a spoonful of sugar,";
    t[SID_WIN53] = u"a basket of the finest apples";
    t[SID_WIN54] = u"and a great deal of love:";
    t[SID_WIN55] = u"Mrs. Tumbro's famous apple cake is ready!";
    t[SID_WIN61] = u"Everyone in the valleys is invited,";
    t[SID_WIN62] = u"and there's plenty for everybody.";
    t[SID_WIN71] = u"Even the bear comes along,";
    t[SID_WIN72] = u"and this time he asks politely";
    t[SID_WIN73] = u"before he takes a bite.";
    t[SID_THEEND] = u"The End";
    t[SID_WIN81] = u"Thank you for playing!";
    t[SID_WIN82] = u"No pigs were harmed in the making of this game.";
    t[SID_WIN83] = u"A few apples were, though.";
    t[SID_WIN84] = u"Mrs. Tumbro says: time for a nap.";
    t[SID_WIN85] = u"Sweet dreams!";

    // The game's title, the rights notice and the credits. Block b has heading
    // lines CREDITSbA... and name lines CREDITSbB...; "--" is a line with nothing to show.
    t[SID_TUMBRO] = u"Tumbro";
    t[SID_COPYRIGHT] = u"Copyright © Velmora studios. All rights reserved.";
    t[SID_CREDITS] = u"Credits";
    t[SID_CREDITS1A1] = u"Idea, design,";
    t[SID_CREDITS1A2] = u"programming";
    t[SID_CREDITS1A3] = u"and artwork";
    fillCreditNames(t);
    t[SID_CREDITS2A] = u"Music";
    t[SID_CREDITS3A] = u"Logistics";
    t[SID_CREDITS4A] = u"Chef";
    t[SID_CREDITS5A] = u"Localization";
    t[SID_CREDITS6A] = u"Special Thanks";
    t[SID_CREDITS10A] = u"Quality Assurance";

    // The valley map and its hint boxes.
    t[SID_WELCOME] = u"Welcome to Vorur Arudad!";
    t[SID_PLAY] = u"Play";
    t[SID_TOTALSCORE] = u"%s points (%s)";
    t[SID_SEASON0] = u"Spring";
    t[SID_SEASON1] = u"Summer";
    t[SID_SEASON2] = u"Autumn";
    t[SID_SEASON3] = u"Winter";
    t[SID_HINTVALLEYPERCENTAGESTITLE] = u"Percentages";
    t[SID_HINTVALLEYPERCENTAGES] =
        u"The percentage under each finished level shows how much of it you have mastered. Rest the pointer on a level "
        u"to see your best results there.";
    t[SID_HINTVALLEYBESTTITLE] = u"Achieving 100%";
    t[SID_HINTVALLEYBEST] =
        u"For 100%, bring home every apple, eat every sweet, find every secret area, keep all your lives and beat the "
        u"par time!";
    t[SID_HINTPARTIMETITLE] = u"Par Time";
    t[SID_HINTPARTIME] = u"Every level has a par time. Finish within it to earn all the time points.";
    t[SID_HINTVALLEYBONUSTITLE] = u"Sugar Rush";
    t[SID_HINTVALLEYBONUS] =
        u"Every fourth level is a bonus level. Gobble up as many sweets as you can before the time runs out!";
    t[SID_HINTVALLEYRECIPETITLE] = u"Secret Recipe";
    t[SID_HINTVALLEYRECIPE] =
        u"Finish a level with 100%, and you will find a part of Mrs. Tumbro's secret recipe. Open the recipe on the "
        u"map to read what you have found so far.";
    t[SID_HINTVALLEYSEASONTITLE] = u"Season Complete!";
    t[SID_HINTVALLEYSEASON1] = u"Spring is over, and summer has come to the valleys. Well done!";
    t[SID_HINTVALLEYSEASON2] = u"Summer is over. The leaves are turning golden: autumn is here!";
    t[SID_HINTVALLEYSEASON3] = u"Autumn is over, and the first snowflakes are falling. Wrap up warm, Mrs. Tumbro!";
    t[SID_HINTALLCOMPLETETITLE] = u"100% Complete!";
    t[SID_HINTALLCOMPLETE] = u"You're a super-pig!";

    // Playing a level: messages, the pause menu and the statistics.
    t[SID_LEVELX] = u"Level %d";
    t[SID_GO] = u"GO!";
    t[SID_LEVELCOMPLETE] = u"Level complete!";
    t[SID_OUTOFTIME] = u"Time's up!";
    t[SID_SECRETAREA] = u"Secret area!";
    t[SID_PAUSED] = u"Paused";
    t[SID_RESUME] = u"Resume game";
    t[SID_RESUMEHINT] = u"Continue playing";
    t[SID_RESTART] = u"Restart level";
    t[SID_RESTARTHINT] = u"Start level from the beginning (your progress will be lost!)";
    t[SID_QUITGAME] = u"End level";
    t[SID_QUITGAMEHINT] = u"Abort level and return to map (your progress will be lost!)";
    t[SID_ONEMOREAPPLE] = u"Just one more apple!";
    t[SID_XMOREAPPLES] = u"You need %d more apples!";
    t[SID_STATISTICS] = u"Statistics";
    t[SID_PRESSXKEYTOCONTINUE] = u"Press %s to continue";
    t[SID_STATSSCORE] = u"Score";
    t[SID_STATSAPPLESREQUIRED] = u"Apples";
    t[SID_STATSAPPLESBONUS] = u"Bonus apples";
    t[SID_STATSSWEETS] = u"Sweets";
    t[SID_STATSSECRETS] = u"Secrets";
    t[SID_STATSDEATHS] = u"Lives lost";
    t[SID_STATSSPOILEDAPPLES] = u"Spoiled apples";
    t[SID_STATSTIME] = u"Time";
    t[SID_STATSTOTAL] = u"Total";
    t[SID_NEWRECORD] = u"NEW RECORD!";
    t[SID_PERFECT] = u"PERFECT!";
}

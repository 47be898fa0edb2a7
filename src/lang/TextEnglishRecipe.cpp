// The English texts of identifiers 1032 to 1173: the secret recipe and the touch-screen texts.
#include "lang/TextTables.h"

void fillEnglishRecipe(TextRow& t) {
    // The secret recipe: the page, the locked notice, the part captions and the
    // 32 parts, one for each level finished with 100%.
    t[SID_RECIPEDOTS] = u"Secret recipe...";
    t[SID_RECIPE] = u"Secret Recipe";
    t[SID_RECIPEONLINE] = u"Recipe online";
    t[SID_RECIPEONLINEHINT] = u"Shows the recipe on the Velmora studios website, ready to print (the game will close)";
    t[SID_RECIPELOCKED1] = u"This part of the recipe is still missing.";
    t[SID_RECIPELOCKED2] = u"To unlock it, finish the level \"%s\" with 100%%.";
    t[SID_RECIPEPART0] = u"Part 1";
    t[SID_RECIPEPART1] = u"Part 2";
    t[SID_RECIPEPART2] = u"Part 3";
    t[SID_RECIPEPART3] = u"Part 4";
    t[SID_RECIPEPART4] = u"Part 5";
    t[SID_RECIPEPART5] = u"Part 6";
    t[SID_RECIPEPART6] = u"Part 7";
    t[SID_RECIPEPART7] = u"Part 8";
    t[SID_RECIPEPART8] = u"Part 9";
    t[SID_RECIPEPART9] = u"Part 10";
    t[SID_RECIPEPART10] = u"Part 11";
    t[SID_RECIPEPART11] = u"Part 12";
    t[SID_RECIPEPART12] = u"Part 13";
    t[SID_RECIPEPART13] = u"Part 14";
    t[SID_RECIPEPART14] = u"Part 15";
    t[SID_RECIPEPART15] = u"Part 16";
    t[SID_RECIPEPART16] = u"Part 17";
    t[SID_RECIPEPART17] = u"Part 18";
    t[SID_RECIPEPART18] = u"Part 19";
    t[SID_RECIPEPART19] = u"Part 20";
    t[SID_RECIPEPART20] = u"Part 21";
    t[SID_RECIPEPART21] = u"Part 22";
    t[SID_RECIPEPART22] = u"Part 23";
    t[SID_RECIPEPART23] = u"Part 24";
    t[SID_RECIPEPART24] = u"Part 25";
    t[SID_RECIPEPART25] = u"Part 26";
    t[SID_RECIPEPART26] = u"Part 27";
    t[SID_RECIPEPART27] = u"Part 28";
    t[SID_RECIPEPART28] = u"Part 29";
    t[SID_RECIPEPART29] = u"Part 30";
    t[SID_RECIPEPART30] = u"Part 31";
    t[SID_RECIPEPART31] = u"Part 32";
    t[SID_RECIPE0] = u"" TXT_STRONG u"Mrs. Tumbro's Famous Apple Cake" TXT_NORMAL u"||The secret recipe of the valleys, handed down from grandmother pig to mother pig for as long as anyone can remember. Now it's yours!";
    t[SID_RECIPE1] = u"" TXT_HIGHLIGHT u"Makes:" TXT_NORMAL u" one cake of about 12 slices (or one very hungry pig family)|" TXT_HIGHLIGHT u"Preparation:" TXT_NORMAL u" 30 minutes|" TXT_HIGHLIGHT u"Baking:" TXT_NORMAL u" 45 to 50 minutes";
    t[SID_RECIPE2] = u"" TXT_HIGHLIGHT u"For the cake base:" TXT_NORMAL u"|" TXT_BULLET u"125 g soft butter|" TXT_BULLET u"100 g sugar|" TXT_BULLET u"1 packet of vanilla sugar (8 g)|" TXT_BULLET u"1 pinch of salt|" TXT_BULLET u"2 eggs|" TXT_BULLET u"200 g plain flour|" TXT_BULLET u"2 teaspoons of baking powder|" TXT_BULLET u"3 tablespoons of milk";
    t[SID_RECIPE3] = u"" TXT_HIGHLIGHT u"For the apples:" TXT_NORMAL u"|" TXT_BULLET u"4 medium apples (about 750 g)|" TXT_BULLET u"the juice of half a lemon|" TXT_BULLET u"1 tablespoon of sugar|" TXT_BULLET u"1 teaspoon of ground cinnamon";
    t[SID_RECIPE4] = u"" TXT_HIGHLIGHT u"For the crumble:" TXT_NORMAL u"|" TXT_BULLET u"150 g plain flour|" TXT_BULLET u"100 g sugar|" TXT_BULLET u"½ teaspoon of ground cinnamon|" TXT_BULLET u"100 g cold butter";
    t[SID_RECIPE5] = u"" TXT_HIGHLIGHT u"You will also need:" TXT_NORMAL u"|" TXT_BULLET u"a springform tin, 26 cm across|" TXT_BULLET u"baking paper|" TXT_BULLET u"two mixing bowls|" TXT_BULLET u"a hand mixer|" TXT_BULLET u"a peeler and a small knife|" TXT_BULLET u"a wooden skewer";
    t[SID_RECIPE6] = u"" TXT_HIGHLIGHT u"Before you start:" TXT_NORMAL u"|Ask a grown-up to help you, especially with the oven and the knife. And wash your hands (or your trotters)!";
    t[SID_RECIPE7] = u"" TXT_HIGHLIGHT u"Step 1:" TXT_NORMAL u" Take the butter out of the fridge about an hour before you start, so that it is nice and soft.";
    t[SID_RECIPE8] = u"" TXT_HIGHLIGHT u"Step 2:" TXT_NORMAL u" Heat the oven to 180 °C (160 °C for a fan oven). Line the bottom of the tin with baking paper and grease the sides with a little butter.";
    t[SID_RECIPE9] = u"" TXT_HIGHLIGHT u"Step 3:" TXT_NORMAL u" First the crumble: put the flour, sugar and cinnamon in a bowl. Add the cold butter in small pieces and rub everything between your fingertips until it looks like big crumbs. Put the bowl in the fridge.";
    t[SID_RECIPE10] = u"" TXT_HIGHLIGHT u"Step 4:" TXT_NORMAL u" Now the apples: peel them, cut them into quarters and cut out the cores.";
    t[SID_RECIPE11] = u"" TXT_HIGHLIGHT u"Step 5:" TXT_NORMAL u" Cut the quarters into thin slices and sprinkle them with the lemon juice straight away, so that they stay nice and pale.";
    t[SID_RECIPE12] = u"" TXT_HIGHLIGHT u"Step 6:" TXT_NORMAL u" Mix the apple slices with the sugar and cinnamon, and put them aside.";
    t[SID_RECIPE13] = u"" TXT_HIGHLIGHT u"Step 7:" TXT_NORMAL u" Beat the soft butter with the sugar, vanilla sugar and salt for about three minutes, until it is light and fluffy.";
    t[SID_RECIPE14] =
        u"" TXT_HIGHLIGHT u"Step 8:" TXT_NORMAL u" Add the eggs one at a time, and beat each one in well.";
    t[SID_RECIPE15] = u"" TXT_HIGHLIGHT u"Step 9:" TXT_NORMAL u" Mix the flour with the baking powder and stir it in spoon by spoon, together with the milk, until the dough is smooth and thick.";
    t[SID_RECIPE16] =
        u"" TXT_HIGHLIGHT u"Step 10:" TXT_NORMAL u" Spread the dough evenly in the tin with a spoon or a spatula.";
    t[SID_RECIPE17] = u"" TXT_HIGHLIGHT u"Step 11:" TXT_NORMAL u" Lay the apple slices on the dough like the tiles of a roof, working from the edge to the middle. Pour any juice left in the bowl over them.";
    t[SID_RECIPE18] = u"" TXT_HIGHLIGHT u"Step 12:" TXT_NORMAL u" Scatter the crumble evenly over the apples.";
    t[SID_RECIPE19] = u"" TXT_HIGHLIGHT u"Step 13:" TXT_NORMAL u" Bake the cake in the middle of the oven for 45 to 50 minutes, until the crumble is golden brown.";
    t[SID_RECIPE20] = u"" TXT_HIGHLIGHT u"Step 14:" TXT_NORMAL u" Test it with the wooden skewer: push it into the middle of the cake. If it comes out clean, the cake is done.";
    t[SID_RECIPE21] = u"" TXT_HIGHLIGHT u"Step 15:" TXT_NORMAL u" Leave the cake in the tin for 15 minutes. Then run a knife round the edge and open the tin.";
    t[SID_RECIPE22] = u"" TXT_HIGHLIGHT u"Step 16:" TXT_NORMAL u" Let the cake cool a little more on a wire rack. This is the hardest part of the whole recipe!";
    t[SID_RECIPE23] = u"" TXT_HIGHLIGHT u"Serving:" TXT_NORMAL u" Serve the cake warm, with whipped cream, custard or a scoop of vanilla ice cream.";
    t[SID_RECIPE24] = u"" TXT_HIGHLIGHT u"The right apples:" TXT_NORMAL u" Choose firm, slightly sour apples. They keep their shape in the oven and taste wonderful with the sweet crumble.";
    t[SID_RECIPE25] = u"" TXT_HIGHLIGHT u"Tip:" TXT_NORMAL u" No springform tin? A square baking tin of about 24 by 24 cm works just as well.";
    t[SID_RECIPE26] = u"" TXT_HIGHLIGHT u"For summer:" TXT_NORMAL u" Swap one of the apples for a handful of blueberries or raspberries.";
    t[SID_RECIPE27] =
        u"" TXT_HIGHLIGHT u"For autumn:" TXT_NORMAL u" Mix a handful of chopped hazelnuts or walnuts into the crumble.";
    t[SID_RECIPE28] = u"" TXT_HIGHLIGHT u"For winter:" TXT_NORMAL u" A pinch of ground cloves and a spoonful of raisins make the cake taste of Christmas.";
    t[SID_RECIPE29] = u"" TXT_HIGHLIGHT u"Keeping:" TXT_NORMAL u" Covered and in a cool place, the cake keeps for two days... if it lasts that long!";
    t[SID_RECIPE30] = u"" TXT_HIGHLIGHT u"Mrs. Tumbro's secret:" TXT_NORMAL u" The most important ingredient? Bake it together with the ones you love, and share every last crumb.";
    t[SID_RECIPE31] = u"" TXT_STRONG u"Congratulations!" TXT_NORMAL u"||You have found the whole secret recipe. Now it's your turn: happy baking, and enjoy your cake!";

    // Touch screens: the IOS_ variants of texts that speak of keys, and the
    // texts used only on touch screens.
    t[SID_IOS_VMLEGAL1] = u"Tumbro is a trademark of Velmora studios.";
    t[SID_IOS_VMLEGAL2] = u"%s and %s are trademarks of their respective owners.";
    t[SID_IOS_LOADING] = u"Loading...";
    t[SID_IOS_CANCEL] = u"Cancel";
    t[SID_IOS_PRIVACYPOLICY] = u"Privacy policy";
    t[SID_IOS_TERMSOFUSE] = u"Terms of use";
    t[SID_IOS_CLICKTOCHANGEPLAYERS] = u"Tap here to change players.";
    t[SID_IOS_PRESSXKEYTOCONTINUE] = u"Tap to continue";
    t[SID_IOS_NONETWORK] = u"No network connection. Please try again later.";
    t[SID_IOS_NONETWORKADS] = u"This needs a network connection. Please check your connection and try again.";
    t[SID_IOS_ARROWPLACEMENT] = u"Arrow buttons";
    t[SID_IOS_ENUMARROWPLACEMENT0] = u"Left";
    t[SID_IOS_ENUMARROWPLACEMENT1] = u"Right";
    t[SID_IOS_RATENOW] = u"Rate now";
    t[SID_IOS_REVIEWNOW] = u"Enjoying Tumbro? Please take a moment to rate it. Thank you!";
    t[SID_IOS_MOREGAMES] = u"More games";
    t[SID_IOS_SUPPORT] = u"Support";
    t[SID_IOS_GAMECENTER] = u"Game Center";
    t[SID_IOS_RESETGAME] = u"Reset game";
    t[SID_IOS_PROGRESSLOST] = u"All your progress will be lost. Are you sure?";
    t[SID_IOS_SNEAKPEEK] = u"Sneak peek";
    t[SID_IOS_PLEASEWAIT] = u"Please wait...";
    t[SID_IOS_LATER] = u"Later";
    t[SID_IOS_GDPR1] = u"We care about your privacy.";
    t[SID_IOS_GDPR2] =
        u"Tumbro does not collect any personal data. High scores are only sent when you upload them yourself.";
    t[SID_IOS_GDPR_WITHADS] =
        u"This version of Tumbro shows adverts. To choose them, our partners may use anonymous data about your device. "
        u"You can change your choice at any time in the options.";
    t[SID_IOS_HOWTOPLAY] = u"How To Play";
    t[SID_IOS_HOWTOPLAYTEXT1] = u"Touch the " TXT_HIGHLIGHT u"arrows" TXT_NORMAL u" to walk left and right.";
    t[SID_IOS_HOWTOPLAYTEXT2] = u"Tap the " TXT_HIGHLIGHT u"jump button" TXT_NORMAL u" to jump over obstacles.";
    t[SID_IOS_HOWTOPLAYTEXT3] =
        u"Tap " TXT_HIGHLIGHT u"things near Mrs. Tumbro" TXT_NORMAL u" to use them or pick them up.";
    t[SID_IOS_HOWTOPLAYTEXT4] =
        u"Roll enough " TXT_HIGHLIGHT u"apples" TXT_NORMAL u" into your house, then walk inside to finish the level.";
    t[SID_IOS_HOWTOPLAYTEXT5] = u"The buttons at the top " TXT_HIGHLIGHT u"pause" TXT_NORMAL u" the game and show your " TXT_HIGHLIGHT u"statistics" TXT_NORMAL u" and the " TXT_HIGHLIGHT u"level map" TXT_NORMAL u".";
    t[SID_IOS_HINTVALLEYPERCENTAGES] =
        u"The percentage under each finished level shows how much of it you have mastered. Touch a level to see your "
        u"best results there.";
    t[SID_IOS_TOOFARAWAY] = u"TOO FAR AWAY";
    t[SID_IOS_HINTMOVELEFTRIGHT] = u"Touch the arrows to walk around";
    t[SID_IOS_HINTESC] = u"The pause button pauses the game and displays the menu";
    t[SID_IOS_HINTLETSGO] = u"";
    t[SID_IOS_HINTJUMP] = u"Tap the jump button to jump over obstacles";
    t[SID_IOS_HINTCOMPLETELEVEL2] =
        u"Got enough apples? Then walk into your house with the arrows and wait there to finish the level.";
    t[SID_IOS_HINTSIGN] = u"To read notes, stand close to them and tap them";
    t[SID_IOS_HINTSWITCH] = u"Tap switches to operate them";
    t[SID_IOS_HINTLADDER] = u"Tap the jump button repeatedly on ladders to climb them";
    t[SID_IOS_HINTSTATS] = u"Tap the statistics button at any time to view your level statistics";
    t[SID_IOS_HINTCOMPASSCARRY] = u"Tap the compass to carry it with you";
    t[SID_IOS_HINTCOMPASSDROP] = u"Tap Mrs. Tumbro to put down what she is carrying";
    t[SID_IOS_HINTTELESCOPE] = u"Tap the telescope to look through it";
    t[SID_IOS_HINTREDEFINECONTROLS] =
        u"Would you like the arrows on the other side? Tap the pause button and change it under Options.";
    t[SID_IOS_HINTBASKET1B] = u"Tap the basket to pick it up";
    t[SID_IOS_HINTMAP] = u"Tap the map button at any time to view a map of the current level.";
    t[SID_IOS_HINTBUTTON] = u"Tap buttons to press them";
    t[SID_IOS_HINTAPPLEBOUNCE] =
        u"Apples bounce and roll into any basket in their way. Tap Mrs. Tumbro to put the basket down under the tree.";
    t[SID_IOS_HINTHAT] = u"With the magic hat you can jump twice: tap the jump button, then tap it again in mid-air!";
}

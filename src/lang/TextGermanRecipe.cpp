// The German texts of identifiers 1032 to 1173: the secret recipe and the touch-screen texts.
#include "lang/TextTables.h"

void fillGermanRecipe(TextRow& t) {
    // The secret recipe: the page, the locked notice, the part captions and the
    // 32 parts, one for each level finished with 100%.
    t[SID_RECIPEDOTS] = u"Geheimrezept...";
    t[SID_RECIPE] = u"Geheimrezept";
    t[SID_RECIPEONLINE] = u"Rezept online";
    t[SID_RECIPEONLINEHINT] =
        u"Zeigt das Rezept zum Ausdrucken auf der Website von Velmora studios (das Spiel wird beendet)";
    t[SID_RECIPELOCKED1] = u"Dieser Teil des Rezepts fehlt noch.";
    t[SID_RECIPELOCKED2] = u"Um ihn freizuschalten, musst du das Level \"%s\" mit 100%% abschließen.";
    t[SID_RECIPEPART0] = u"Teil 1";
    t[SID_RECIPEPART1] = u"Teil 2";
    t[SID_RECIPEPART2] = u"Teil 3";
    t[SID_RECIPEPART3] = u"Teil 4";
    t[SID_RECIPEPART4] = u"Teil 5";
    t[SID_RECIPEPART5] = u"Teil 6";
    t[SID_RECIPEPART6] = u"Teil 7";
    t[SID_RECIPEPART7] = u"Teil 8";
    t[SID_RECIPEPART8] = u"Teil 9";
    t[SID_RECIPEPART9] = u"Teil 10";
    t[SID_RECIPEPART10] = u"Teil 11";
    t[SID_RECIPEPART11] = u"Teil 12";
    t[SID_RECIPEPART12] = u"Teil 13";
    t[SID_RECIPEPART13] = u"Teil 14";
    t[SID_RECIPEPART14] = u"Teil 15";
    t[SID_RECIPEPART15] = u"Teil 16";
    t[SID_RECIPEPART16] = u"Teil 17";
    t[SID_RECIPEPART17] = u"Teil 18";
    t[SID_RECIPEPART18] = u"Teil 19";
    t[SID_RECIPEPART19] = u"Teil 20";
    t[SID_RECIPEPART20] = u"Teil 21";
    t[SID_RECIPEPART21] = u"Teil 22";
    t[SID_RECIPEPART22] = u"Teil 23";
    t[SID_RECIPEPART23] = u"Teil 24";
    t[SID_RECIPEPART24] = u"Teil 25";
    t[SID_RECIPEPART25] = u"Teil 26";
    t[SID_RECIPEPART26] = u"Teil 27";
    t[SID_RECIPEPART27] = u"Teil 28";
    t[SID_RECIPEPART28] = u"Teil 29";
    t[SID_RECIPEPART29] = u"Teil 30";
    t[SID_RECIPEPART30] = u"Teil 31";
    t[SID_RECIPEPART31] = u"Teil 32";
    t[SID_RECIPE0] = u"" TXT_STRONG u"Frau Tumbros berühmter Apfelkuchen" TXT_NORMAL u"||Das Geheimrezept der Täler, von der Großmutter an die Schweinemama weitergegeben, so lange man zurückdenken kann. Jetzt gehört es dir!";
    t[SID_RECIPE1] = u"" TXT_HIGHLIGHT u"Ergibt:" TXT_NORMAL u" einen Kuchen mit etwa 12 Stücken (oder eine sehr hungrige Schweinefamilie)|" TXT_HIGHLIGHT u"Zubereitung:" TXT_NORMAL u" 30 Minuten|" TXT_HIGHLIGHT u"Backzeit:" TXT_NORMAL u" 45 bis 50 Minuten";
    t[SID_RECIPE2] = u"" TXT_HIGHLIGHT u"Für den Teig:" TXT_NORMAL u"|" TXT_BULLET u"125 g weiche Butter|" TXT_BULLET u"100 g Zucker|" TXT_BULLET u"1 Päckchen Vanillezucker (8 g)|" TXT_BULLET u"1 Prise Salz|" TXT_BULLET u"2 Eier|" TXT_BULLET u"200 g Weizenmehl|" TXT_BULLET u"2 TL Backpulver|" TXT_BULLET u"3 EL Milch";
    t[SID_RECIPE3] = u"" TXT_HIGHLIGHT u"Für die Äpfel:" TXT_NORMAL u"|" TXT_BULLET u"4 mittelgroße Äpfel (etwa 750 g)|" TXT_BULLET u"Saft einer halben Zitrone|" TXT_BULLET u"1 EL Zucker|" TXT_BULLET u"1 TL gemahlener Zimt";
    t[SID_RECIPE4] = u"" TXT_HIGHLIGHT u"Für die Streusel:" TXT_NORMAL u"|" TXT_BULLET u"150 g Weizenmehl|" TXT_BULLET u"100 g Zucker|" TXT_BULLET u"½ TL gemahlener Zimt|" TXT_BULLET u"100 g kalte Butter";
    t[SID_RECIPE5] = u"" TXT_HIGHLIGHT u"Außerdem brauchst du:" TXT_NORMAL u"|" TXT_BULLET u"eine Springform (26 cm Durchmesser)|" TXT_BULLET u"Backpapier|" TXT_BULLET u"zwei Rührschüsseln|" TXT_BULLET u"einen Handmixer|" TXT_BULLET u"einen Sparschäler und ein kleines Messer|" TXT_BULLET u"einen Holzspieß";
    t[SID_RECIPE6] = u"" TXT_HIGHLIGHT u"Bevor es losgeht:" TXT_NORMAL u"|Bitte einen Erwachsenen um Hilfe, vor allem beim Backofen und beim Messer. Und wasch dir die Hände (oder die Pfoten)!";
    t[SID_RECIPE7] = u"" TXT_HIGHLIGHT u"Schritt 1:" TXT_NORMAL u" Nimm die Butter etwa eine Stunde vorher aus dem Kühlschrank, damit sie schön weich wird.";
    t[SID_RECIPE8] = u"" TXT_HIGHLIGHT u"Schritt 2:" TXT_NORMAL u" Heize den Backofen auf 180 °C vor (Umluft 160 °C). Lege den Boden der Springform mit Backpapier aus und fette den Rand mit etwas Butter ein.";
    t[SID_RECIPE9] = u"" TXT_HIGHLIGHT u"Schritt 3:" TXT_NORMAL u" Zuerst die Streusel: Gib Mehl, Zucker und Zimt in eine Schüssel. Füge die kalte Butter in kleinen Stückchen hinzu und zerreibe alles zwischen den Fingerspitzen, bis dicke Krümel entstehen. Stell die Schüssel in den Kühlschrank.";
    t[SID_RECIPE10] = u"" TXT_HIGHLIGHT u"Schritt 4:" TXT_NORMAL u" Jetzt die Äpfel: Schäle sie, schneide sie in Viertel und entferne das Kerngehäuse.";
    t[SID_RECIPE11] = u"" TXT_HIGHLIGHT u"Schritt 5:" TXT_NORMAL u" Schneide die Viertel in dünne Spalten und beträufle sie sofort mit dem Zitronensaft, damit sie schön hell bleiben.";
    t[SID_RECIPE12] = u"" TXT_HIGHLIGHT u"Schritt 6:" TXT_NORMAL u" Vermische die Apfelspalten mit Zucker und Zimt und stell sie beiseite.";
    t[SID_RECIPE13] = u"" TXT_HIGHLIGHT u"Schritt 7:" TXT_NORMAL u" Rühre die weiche Butter mit Zucker, Vanillezucker und Salz etwa drei Minuten lang hell und cremig.";
    t[SID_RECIPE14] =
        u"" TXT_HIGHLIGHT u"Schritt 8:" TXT_NORMAL u" Gib die Eier einzeln dazu und rühre jedes gut unter.";
    t[SID_RECIPE15] = u"" TXT_HIGHLIGHT u"Schritt 9:" TXT_NORMAL u" Mische das Mehl mit dem Backpulver und rühre es löffelweise zusammen mit der Milch unter, bis ein glatter, dicker Teig entsteht.";
    t[SID_RECIPE16] = u"" TXT_HIGHLIGHT u"Schritt 10:" TXT_NORMAL u" Streiche den Teig mit einem Löffel oder Teigschaber gleichmäßig in der Form glatt.";
    t[SID_RECIPE17] = u"" TXT_HIGHLIGHT u"Schritt 11:" TXT_NORMAL u" Lege die Apfelspalten wie Dachziegel vom Rand zur Mitte hin auf den Teig. Gieße den Saft aus der Schüssel darüber.";
    t[SID_RECIPE18] =
        u"" TXT_HIGHLIGHT u"Schritt 12:" TXT_NORMAL u" Verteile die Streusel gleichmäßig über den Äpfeln.";
    t[SID_RECIPE19] = u"" TXT_HIGHLIGHT u"Schritt 13:" TXT_NORMAL u" Backe den Kuchen auf der mittleren Schiene 45 bis 50 Minuten, bis die Streusel goldbraun sind.";
    t[SID_RECIPE20] = u"" TXT_HIGHLIGHT u"Schritt 14:" TXT_NORMAL u" Mach die Stäbchenprobe: Stich mit dem Holzspieß in die Mitte des Kuchens. Bleibt kein Teig daran kleben, ist er fertig.";
    t[SID_RECIPE21] = u"" TXT_HIGHLIGHT u"Schritt 15:" TXT_NORMAL u" Lass den Kuchen 15 Minuten in der Form ruhen. Fahre dann mit einem Messer am Rand entlang und öffne die Form.";
    t[SID_RECIPE22] = u"" TXT_HIGHLIGHT u"Schritt 16:" TXT_NORMAL u" Lass den Kuchen auf einem Kuchengitter noch etwas abkühlen. Das ist der schwierigste Teil des ganzen Rezepts!";
    t[SID_RECIPE23] = u"" TXT_HIGHLIGHT u"Servieren:" TXT_NORMAL u" Serviere den Kuchen lauwarm mit Schlagsahne, Vanillesoße oder einer Kugel Vanilleeis.";
    t[SID_RECIPE24] = u"" TXT_HIGHLIGHT u"Die richtigen Äpfel:" TXT_NORMAL u" Nimm feste, leicht säuerliche Äpfel. Sie behalten im Ofen ihre Form und schmecken wunderbar zu den süßen Streuseln.";
    t[SID_RECIPE25] = u"" TXT_HIGHLIGHT u"Tipp:" TXT_NORMAL u" Keine Springform zur Hand? Eine quadratische Backform von etwa 24 mal 24 cm geht genauso gut.";
    t[SID_RECIPE26] = u"" TXT_HIGHLIGHT u"Für den Sommer:" TXT_NORMAL u" Ersetze einen der Äpfel durch eine Handvoll Blaubeeren oder Himbeeren.";
    t[SID_RECIPE27] = u"" TXT_HIGHLIGHT u"Für den Herbst:" TXT_NORMAL u" Mische eine Handvoll gehackte Haselnüsse oder Walnüsse unter die Streusel.";
    t[SID_RECIPE28] = u"" TXT_HIGHLIGHT u"Für den Winter:" TXT_NORMAL u" Eine Prise gemahlene Nelken und ein Löffel Rosinen lassen den Kuchen nach Weihnachten schmecken.";
    t[SID_RECIPE29] = u"" TXT_HIGHLIGHT u"Aufbewahren:" TXT_NORMAL u" Abgedeckt und kühl gelagert hält sich der Kuchen zwei Tage... falls er so lange überlebt!";
    t[SID_RECIPE30] = u"" TXT_HIGHLIGHT u"Frau Tumbros Geheimnis:" TXT_NORMAL u" Die wichtigste Zutat? Back ihn zusammen mit deinen Liebsten und teile jeden einzelnen Krümel.";
    t[SID_RECIPE31] = u"" TXT_STRONG u"Herzlichen Glückwunsch!" TXT_NORMAL u"||Du hast das ganze Geheimrezept gefunden. Jetzt bist du dran: Viel Spaß beim Backen und guten Appetit!";

    // Touch screens: the IOS_ variants of texts that speak of keys, and the
    // texts used only on touch screens.
    t[SID_IOS_VMLEGAL1] = u"Tumbro ist eine Marke von Velmora studios.";
    t[SID_IOS_VMLEGAL2] = u"%s und %s sind Marken ihrer jeweiligen Inhaber.";
    t[SID_IOS_LOADING] = u"Wird geladen...";
    t[SID_IOS_CANCEL] = u"Abbrechen";
    t[SID_IOS_PRIVACYPOLICY] = u"Datenschutzerklärung";
    t[SID_IOS_TERMSOFUSE] = u"Nutzungsbedingungen";
    t[SID_IOS_CLICKTOCHANGEPLAYERS] = u"Tippe HIER, um das Profil zu wechseln.";
    t[SID_IOS_PRESSXKEYTOCONTINUE] = u"Tippe, um fortzufahren.";
    t[SID_IOS_NONETWORK] = u"Keine Netzwerkverbindung. Bitte versuche es später noch einmal.";
    t[SID_IOS_NONETWORKADS] =
        u"Dafür ist eine Netzwerkverbindung nötig. Bitte überprüfe deine Verbindung und versuche es noch einmal.";
    t[SID_IOS_ARROWPLACEMENT] = u"Pfeilknöpfe";
    t[SID_IOS_ENUMARROWPLACEMENT0] = u"Links";
    t[SID_IOS_ENUMARROWPLACEMENT1] = u"Rechts";
    t[SID_IOS_RATENOW] = u"Jetzt bewerten";
    t[SID_IOS_REVIEWNOW] = u"Gefällt dir Tumbro? Nimm dir doch kurz Zeit für eine Bewertung. Danke!";
    t[SID_IOS_MOREGAMES] = u"Weitere Spiele";
    t[SID_IOS_SUPPORT] = u"Support";
    t[SID_IOS_GAMECENTER] = u"Game Center";
    t[SID_IOS_RESETGAME] = u"Spiel zurücksetzen";
    t[SID_IOS_PROGRESSLOST] = u"Dein gesamter Spielfortschritt geht verloren. Bist du sicher?";
    t[SID_IOS_SNEAKPEEK] = u"Vorschau";
    t[SID_IOS_PLEASEWAIT] = u"Bitte warten...";
    t[SID_IOS_LATER] = u"Später";
    t[SID_IOS_GDPR1] = u"Deine Privatsphäre ist uns wichtig.";
    t[SID_IOS_GDPR2] =
        u"Tumbro sammelt keine persönlichen Daten. Punkte werden nur übertragen, wenn du sie selbst hochlädst.";
    t[SID_IOS_GDPR_WITHADS] =
        u"Diese Version von Tumbro zeigt Werbung. Um sie auszuwählen, dürfen unsere Partner anonyme Daten über dein "
        u"Gerät verwenden. Du kannst deine Wahl jederzeit in den Optionen ändern.";
    t[SID_IOS_HOWTOPLAY] = u"So wird gespielt";
    t[SID_IOS_HOWTOPLAYTEXT1] =
        u"Berühre die " TXT_HIGHLIGHT u"Pfeile" TXT_NORMAL u", um nach links und rechts zu laufen.";
    t[SID_IOS_HOWTOPLAYTEXT2] =
        u"Tippe auf den " TXT_HIGHLIGHT u"Sprungknopf" TXT_NORMAL u", um über Hindernisse zu springen.";
    t[SID_IOS_HOWTOPLAYTEXT3] =
        u"Tippe auf " TXT_HIGHLIGHT u"Dinge in Frau Tumbros Nähe" TXT_NORMAL u", um sie zu benutzen oder aufzuheben.";
    t[SID_IOS_HOWTOPLAYTEXT4] =
        u"Roll genug " TXT_HIGHLIGHT u"Äpfel" TXT_NORMAL u" in dein Haus und geh dann hinein, um das Level zu beenden.";
    t[SID_IOS_HOWTOPLAYTEXT5] = u"Mit den Knöpfen oben kannst du " TXT_HIGHLIGHT u"pausieren" TXT_NORMAL u" und deine " TXT_HIGHLIGHT u"Statistik" TXT_NORMAL u" und die " TXT_HIGHLIGHT u"Levelkarte" TXT_NORMAL u" ansehen.";
    t[SID_IOS_HINTVALLEYPERCENTAGES] =
        u"Die Prozentzahl unter jedem geschafften Level zeigt, wie gut du es gemeistert hast. Berühre ein Level, um "
        u"deine besten Ergebnisse dort zu sehen.";
    t[SID_IOS_TOOFARAWAY] = u"ZU WEIT WEG";
    t[SID_IOS_HINTMOVELEFTRIGHT] = u"Berühre die Pfeile, um herumzulaufen";
    t[SID_IOS_HINTESC] = u"Der Pausenknopf pausiert das Spiel und öffnet das Menü";
    t[SID_IOS_HINTLETSGO] = u"";
    t[SID_IOS_HINTJUMP] = u"Tippe auf den Sprungknopf, um über Hindernisse zu springen";
    t[SID_IOS_HINTCOMPLETELEVEL2] =
        u"Genug Äpfel beisammen? Dann lauf mit den Pfeilen in dein Haus und warte dort, um das Level zu beenden.";
    t[SID_IOS_HINTSIGN] = u"Stell dich nah an eine Notiz und tippe sie an, um sie zu lesen";
    t[SID_IOS_HINTSWITCH] = u"Tippe auf Schalter, um sie zu betätigen";
    t[SID_IOS_HINTLADDER] = u"Tippe auf Leitern mehrmals auf den Sprungknopf, um hinaufzuklettern";
    t[SID_IOS_HINTSTATS] = u"Tippe jederzeit auf den Statistikknopf, um deine Levelstatistiken zu überprüfen";
    t[SID_IOS_HINTCOMPASSCARRY] = u"Tippe auf den Kompass, um ihn mitzunehmen";
    t[SID_IOS_HINTCOMPASSDROP] = u"Tippe auf Frau Tumbro, damit sie ablegt, was sie trägt";
    t[SID_IOS_HINTTELESCOPE] = u"Tippe auf das Fernrohr, um hindurchzuschauen";
    t[SID_IOS_HINTREDEFINECONTROLS] =
        u"Hättest du die Pfeile lieber auf der anderen Seite? Tippe auf den Pausenknopf und ändere es unter Optionen.";
    t[SID_IOS_HINTBASKET1B] = u"Tippe auf den Korb, um ihn aufzuheben";
    t[SID_IOS_HINTMAP] = u"Tippe jederzeit auf den Kartenknopf, um eine Karte des Levels zu sehen.";
    t[SID_IOS_HINTBUTTON] = u"Tippe auf Knöpfe, um sie zu betätigen";
    t[SID_IOS_HINTAPPLEBOUNCE] =
        u"Äpfel hüpfen und rollen in jeden Korb, der ihnen im Weg steht. Tippe auf Frau Tumbro, damit sie den Korb "
        u"unter dem Baum abstellt.";
    t[SID_IOS_HINTHAT] =
        u"Mit dem Zauberhut kannst du doppelt springen: Tippe auf den Sprungknopf und in der Luft gleich noch einmal!";
}

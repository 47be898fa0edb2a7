// The German texts of identifiers 440 to 836: menus, options, network, error reports, intro, ending, credits,
// the valley map and level play.
#include "lang/TextTables.h"

void fillGermanMenus(TextRow& t) {
    // Common words: buttons and short status lines.
    t[SID_CONFIRM] = u"Bist du sicher?";
    t[SID_YES] = u"Ja";
    t[SID_NO] = u"Nein";
    t[SID_OK] = u"OK";
    t[SID_DONE] = u"Fertig";
    t[SID_APPLY] = u"Übernehmen";
    t[SID_OFF] = u"Aus";
    t[SID_ON] = u"An";
    t[SID_BACK] = u"\u0009 Zurück";
    t[SID_NEXT] = u"Weiter \u000A";
    t[SID_CANCEL] = u"Abbrechen";
    t[SID_FINISH] = u"Abschließen";
    t[SID_HELP] = u"Hilfe";
    t[SID_QUIT] = u"\u0002 Beenden";
    t[SID_SKIP] = u"Überspringen";
    t[SID_STARTINGDOTS] = u"Wird gestartet...";
    t[SID_CONNECTED] = u"Verbunden.";
    t[SID_FAILED] = u"Fehlgeschlagen.";
    t[SID_SUCCESS] = u"Erfolgreich!";
    t[SID_DONEDOT] = u"Fertig.";
    t[SID_STOP] = u"Stopp";

    // Players and the main menu.
    t[SID_PLAYERS] = u"Spieler";
    t[SID_CLICKTOCHANGEPLAYERS] = u"Hier klicken, um das Spielerprofil zu ändern.";
    t[SID_ENTERYOURNAME] = u"Gib deinen Namen ein";
    t[SID_HELLO] = u"Hallo %s!";
    t[SID_ADDPLAYER] = u"Neuer Spieler";
    t[SID_DELETEPLAYER] = u"Spieler löschen";
    t[SID_STARTGAME] = u"Spielen";
    t[SID_HIGHSCORES] = u"Bestenliste";
    t[SID_OPTIONS] = u"Optionen";
    t[SID_OPTIONSDOTS] = u"Optionen...";
    t[SID_WEBSITE] = u"Website";
    t[SID_WEBSITEHINT] = u"Besuche die Website von Velmora studios (das Spiel wird beendet)";

    // Options: gameplay, graphics and sound.
    t[SID_GAMEPLAY] = u"Spiel";
    t[SID_ALLOWCHEATS] = u"Cheats erlauben";
    t[SID_ALLOWCHEATSHINT] = u"Erlaubt Cheat-Codes während des Spiels";
    t[SID_TUTORIAL] = u"Spielhilfe";
    t[SID_TUTORIALHINT] = u"Zeigt beim Spielen Tipps, die das Spiel erklären";
    t[SID_COLORBLIND] = u"Modus für Farbenblinde";
    t[SID_COLORBLINDHINT] = u"Macht die Farben im Spiel leichter unterscheidbar";
    t[SID_SHOWCLOCK] = u"Uhr im Spiel";
    t[SID_SHOWCLOCKHINT] = u"Zeigt an, wie lange du schon im Level bist";
    t[SID_GRAPHICS] = u"Grafik";
    t[SID_DETAIL] = u"Details";
    t[SID_DETAILHINT] = u"Mit wenigen Details läuft das Spiel auf älteren Computern schneller";
    t[SID_ENUMDETAIL0] = u"Niedrig";
    t[SID_ENUMDETAIL1] = u"Hoch";
    t[SID_ADVANCEDOPTIONS] = u"Erweitert";
    t[SID_VIDEOMODE] = u"Auflösung";
    t[SID_VIDEOMODEHINT] = u"Die Bildschirmauflösung im Vollbildmodus";
    t[SID_FULLSCREEN] = u"Vollbild";
    t[SID_FULLSCREENHINT] = u"Im Vollbild oder in einem Fenster spielen";
    t[SID_LETTERBOX] = u"Letterbox";
    t[SID_LETTERBOXHINT] = u"Behält das Seitenverhältnis bei und fügt schwarze Balken hinzu";
    t[SID_VSYNC] = u"V-Sync";
    t[SID_VSYNCHINT] = u"Wartet auf den Bildaufbau des Monitors: ein ruhigeres Bild, aber vielleicht langsamer";
    t[SID_MAXIMUMFPS] = u"Maximale Bildrate";
    t[SID_MAXIMUMFPSHINT] = u"So viele Bilder pro Sekunde zeichnet das Spiel höchstens";
    t[SID_BILINEARFILTER] = u"Grafik glätten";
    t[SID_BILINEARFILTERHINT] = u"Glättet die Grafik, wenn sie vergrößert oder verkleinert wird";
    t[SID_SHOWFPS] = u"Bildrate anzeigen";
    t[SID_SHOWFPSHINT] = u"Zeigt die Bilder pro Sekunde in einer Ecke des Bildschirms an";
    t[SID_SOUND] = u"Ton";
    t[SID_SOUNDQUALITY] = u"Tonqualität";
    t[SID_SOUNDQUALITYHINT] = u"Wird beim nächsten Start des Spiels wirksam";
    t[SID_ENUMSOUNDQUALITY0] = u"Niedrig";
    t[SID_ENUMSOUNDQUALITY1] = u"Hoch";
    t[SID_ENUMSOUNDQUALITY2] = u"Sehr hoch";
    t[SID_SOUNDVOLUME] = u"Effektlautstärke";
    t[SID_MUSICVOLUME] = u"Musiklautstärke";
    t[SID_INGAMEMUSIC] = u"Musik im Spiel";
    t[SID_INGAMEMUSICHINT] = u"Spielt Musik, während du in einem Level bist";
    t[SID_MUTEAUDIO] = u"Stumm";
    t[SID_MUTEAUDIOHINT] = u"Schaltet alle Geräusche und die Musik aus";

    // Controls.
    t[SID_CONTROLS] = u"Steuerung";
    t[SID_CONTROLSHINT] = u"Drück die gewünschte Taste oder den gewünschten Knopf. ESC bricht ab.";
    t[SID_CONTROLSUP] = u"Benutzen/Tragen";
    t[SID_CONTROLSLEFT] = u"Nach links";
    t[SID_CONTROLSRIGHT] = u"Nach rechts";
    t[SID_CONTROLSFIRE] = u"Springen";
    t[SID_CONTROLSALTFIRE] = u"Statistik zeigen";
    t[SID_CONTROLSMAP] = u"Levelkarte zeigen";
    t[SID_CONTROLSINGAMEMENU] = u"Spielmenü";
    t[SID_CONTROLSINGAMEMENUHINT] = u"Das Spielmenü öffnet sich immer mit der ESC-Taste";
    t[SID_CONTROLS0] = u"Hauptbelegung";
    t[SID_CONTROLS0DOTS] = u"Hauptbelegung...";
    t[SID_CONTROLS2] = u"Zweitbelegung";
    t[SID_CONTROLS2DOTS] = u"Zweitbelegung...";

    // Input devices.
    t[SID_DEVICE_KEYBOARD] = u"Tastatur";
    t[SID_DEVICE_MOUSE] = u"Maus";
    t[SID_DEVICE_JOYSTICK] = u"Joystick";
    t[SID_DEVICE_GAMEPAD] = u"Gamepad";
    t[SID_DEVICE_TOUCHSCREEN] = u"Touchscreen";

    // Language.
    t[SID_CHANGELANGUAGE] = u"Sprache";
    t[SID_CHANGELANGUAGETEXT] = u"Bitte starte das Spiel noch einmal|und wähle dann die neue Sprache aus.";

    // Network test and speed test.
    t[SID_NETWORKWIZARD] = u"Netzwerktest";
    t[SID_NETWORKWIZARDDOTS] = u"Netzwerktest...";
    t[SID_NETTESTINTRO1] = u"Dieser Test prüft, ob das Spiel den Server von Velmora studios erreichen kann.";
    t[SID_NETTESTINTRO2] = u"Das ist nötig, damit du deine Punkte mit Spielern auf der ganzen Welt vergleichen kannst.";
    t[SID_NETTESTINTRO3] = u"Bitte stelle sicher, dass dein Computer mit dem Internet verbunden ist.";
    t[SID_NETTESTINTRO4] = u"Klicke auf Weiter, um den Test zu starten.";
    t[SID_RUNTESTONDESKTOP] = u"Im Fenster testen";
    t[SID_RUNTESTONDESKTOPHINT] = u"Wechselt in ein Fenster, damit deine Firewall um Erlaubnis fragen kann";
    t[SID_NETTESTSUCCESS] = u"Die Verbindung funktioniert!";
    t[SID_NETTESTFAIL1] =
        u"Der Server war nicht erreichbar. Du kannst trotzdem weitermachen und es später noch einmal versuchen.";
    t[SID_FPSTESTTITLE] = u"Geschwindigkeitstest";
    t[SID_FPSTESTINTRO1] = u"Dieser Test prüft, wie flüssig das Spiel auf deinem Computer läuft.";
    t[SID_FPSTESTINTRO2] = u"Er dauert nur ein paar Sekunden.";
    t[SID_FPSTESTRESULT] = u"Framerate: %.1lf";
    t[SID_FPSTESTFAIL1] = u"Dein Computer scheint für dieses Spiel zu langsam zu sein.";
    t[SID_FPSTESTFAIL2] = u"Es ist mindestens eine Framerate von %.0lf nötig.";
    t[SID_NETCONFIGTITLE] = u"Netzwerkeinstellungen";
    t[SID_SELECTYOURCOUNTRY] = u"Dein Land";
    t[SID_SELECTYOURCOUNTRYHINT] = u"Deine hochgeladenen Punkte werden unter diesem Land eingetragen";
    t[SID_WORLDMAPHINT1] = u"Klicke auf die Karte, um zu zeigen, wo du wohnst.";
    t[SID_WORLDMAPHINT2] = u"Die Stelle wird nur für die weltweite Bestenliste verwendet.";
    t[SID_CHECKCONNECTION] = u"Bitte überprüfe deine Internetverbindung.";

    // High scores.
    t[SID_HIGHSCOREOPTIONSDOTS] = u"Weitere Optionen...";
    t[SID_HIGHSCOREOPTIONS] = u"Optionen der Bestenliste";
    t[SID_UPLOADSCORES] = u"Punkte hochladen";
    t[SID_UPLOADSCORESHINT] = u"Schickt deine besten Ergebnisse an die weltweite Bestenliste";
    t[SID_UPLOADTEXT1] = u"Deine Bestleistungen werden jetzt an den Server von Velmora studios geschickt.";
    t[SID_UPLOADTEXT2] = u"Es werden nur die Spielernamen, dein Land und deine Ergebnisse übertragen.";
    t[SID_UPLOADTEXT3] = u"Klicke auf Weiter, um zu beginnen.";
    t[SID_FAILEDWITHCODE] = u"Folgender Fehler wurde gemeldet: %d";
    t[SID_WORLDWIDESCORES] = u"Weltweite Bestenliste";
    t[SID_WORLDWIDESCORESHINT] = u"Vergleiche dich mit Spielern auf der ganzen Welt (das Spiel wird beendet)";
    t[SID_RESETSCORES] = u"Punkte löschen";
    t[SID_RESETSCORESHINT] = u"Löscht alle Einträge deiner lokalen Bestenliste";

    // Help.
    t[SID_HELPTITLE] = u"Hilfe";
    t[SID_DOCUMENTATION] = u"Anleitung";
    t[SID_DOCUMENTATIONHINT] = u"Öffnet die Spielanleitung (das Spiel wird beendet)";
    t[SID_ONLINEHELP] = u"Online-Hilfe";
    t[SID_ONLINEHELPHINT] = u"Öffnet die Hilfeseiten auf der Website von Velmora studios (das Spiel wird beendet)";

    // Error reports, and the server's refusals of a network game.
    t[SID_ERRORREPORTTITLE] = u"Fehlerbericht";
    t[SID_ERRORREPORTINTRO1] = u"Entschuldigung, das Spiel wurde beim letzten Mal unerwartet beendet.";
    t[SID_ERRORREPORTINTRO2] =
        u"Du kannst uns helfen, den Fehler zu beheben, indem du Velmora studios einen Fehlerbericht schickst.";
    t[SID_ERRORREPORTINTRO3] =
        u"Der Bericht enthält das Protokoll des Spiels mit deinem Benutzernamen, dem Namen deines Computers, den Namen "
        u"der Spieler und den Ordnern des Spiels, Angaben zum Absturz, ein Bildschirmfoto und den letzten "
        u"Netzwerkverkehr. Klicke auf Weiter, um ihn zu senden.";
    t[SID_ERRORREPORTWIZARD1] = u"Bevor du ihn senden kannst, muss einmal der Netzwerktest laufen.";
    t[SID_ERRORREPORTWIZARD2] = u"Klicke dazu auf Netzwerktest.";
    t[SID_ERRORREPORTUPLOADING] = u"Fehlerbericht wird hochgeladen (%s Bytes).";
    t[SID_ERRORREPORTPLEASEWAIT] = u"Bitte warten...";
    t[SID_ERRORSERVERISFULL] = u"Der Server ist voll.";
    t[SID_ERRORINCOMPATIBLEGAME] = u"Inkompatibles Spiel.";
    t[SID_ERRORMINVERSIONCLIENT] =
        u"Du benötigst wenigstens Version %s des Spiels (du hast momentan Version %.2lf installiert).";
    t[SID_ERRORMINVERSIONSERVER] =
        u"Auf dem Server muss wenigstens Version %s des Spiels laufen (es läuft Version %.2lf).";

    // Network games: connections and the reasons for leaving.
    t[SID_CONNECTEDTO] = u"Verbindung mit %s hergestellt";
    t[SID_DISCONNECTEDFROM] = u"Verbindung mit %s wurde getrennt";
    t[SID_QUITDISCONNECTED] = u"Die Verbindung wurde unterbrochen.";
    t[SID_QUITUSERQUIT] = u"Der Spieler hat das Spiel verlassen.";
    t[SID_QUITGAMEOVER] = u"Game over.";
    t[SID_QUITPLAYBACKFINISHED] = u"Die Wiedergabe ist zu Ende.";
    t[SID_QUITEMERGENCY] = u"Das Spiel musste abgebrochen werden.";
    t[SID_QUITUNKNOWN] = u"Das Spiel wurde aus unbekanntem Grund beendet.";
    t[SID_PLAYERJOINED] = u"Spieler '%s' ist dazugekommen.";
    t[SID_PLAYERLEFT] = u"Spieler '%s' hat das Spiel verlassen.";
    t[SID_INVITINGPLAYERS] = u"Spieler werden eingeladen...";

    // The intro story: screen s, line l is INTROsl.
    t[SID_VELMORASTUDIOS] = u"Velmora studios";
    t[SID_PRESENTS] = u"präsentiert";
    t[SID_INTRO11] = u"Weit weg, in den grünen Tälern von Vorur Arudad,";
    t[SID_INTRO12] = u"lebt eine Schweinemama namens Frau Tumbro";
    t[SID_INTRO13] = u"mit ihren drei kleinen Ferkeln.";
    t[SID_INTRO21] = u"Und nichts lieben die Ferkel so sehr wie Apfelkuchen!";
    t[SID_INTRO31] = u"Jedes Jahr, wenn die Äpfel reif sind,";
    t[SID_INTRO32] = u"rollt Frau Tumbro sie aus den Obstgärten nach Hause";
    t[SID_INTRO33] = u"und backt ihren berühmten Apfelkuchen.";
    t[SID_INTRO41] = u"Doch dieses Jahr ist das Rezept verschwunden!";
    t[SID_INTRO51] = u"Ein Windstoß hat seine Seiten davongeweht,";
    t[SID_INTRO52] = u"und nun liegen sie verstreut";
    t[SID_INTRO53] = u"in allen acht Tälern.";
    t[SID_INTRO61] = u"Also macht sich Frau Tumbro wieder auf den Weg,";
    t[SID_INTRO62] = u"von den ersten Blüten des Frühlings";
    t[SID_INTRO63] = u"bis zum ersten Schnee des Winters.";
    t[SID_INTRO71] = u"Hilf ihr, die Äpfel nach Hause zu bringen!";

    // The ending: screen s, line l is WINsl; the WIN8 lines follow the credits.
    t[SID_WIN11] = u"Hurra!";
    t[SID_WIN21] = u"Der letzte Apfel des Jahres ist zu Hause!";
    t[SID_WIN31] = u"Die Speisekammer ist voll,";
    t[SID_WIN32] = u"der Ofen ist warm,";
    t[SID_WIN33] = u"und das ganze Haus duftet nach Zimt.";
    t[SID_WIN41] = u"Die Ferkel können es kaum erwarten...";
    t[SID_WIN51] = u"Eine Prise Zimt,";
    t[SID_WIN52] = u"ein Löffel Zucker,";
    t[SID_WIN53] = u"ein Korb voll der schönsten Äpfel";
    t[SID_WIN54] = u"und ganz viel Liebe:";
    t[SID_WIN55] = u"Frau Tumbros berühmter Apfelkuchen ist fertig!";
    t[SID_WIN61] = u"Alle in den Tälern sind eingeladen,";
    t[SID_WIN62] = u"und es ist genug für alle da.";
    t[SID_WIN71] = u"Sogar der Bär kommt vorbei,";
    t[SID_WIN72] = u"und diesmal fragt er höflich,";
    t[SID_WIN73] = u"bevor er abbeißt.";
    t[SID_THEEND] = u"Ende";
    t[SID_WIN81] = u"Danke fürs Spielen!";
    t[SID_WIN82] = u"Bei der Entstehung dieses Spiels kamen keine Schweine zu Schaden.";
    t[SID_WIN83] = u"Ein paar Äpfel allerdings schon.";
    t[SID_WIN84] = u"Frau Tumbro sagt: Zeit für ein Nickerchen.";
    t[SID_WIN85] = u"Süße Träume!";

    // The game's title, the rights notice and the credits. Block b has heading
    // lines CREDITSbA... and name lines CREDITSbB...; "--" is a line with nothing to show.
    t[SID_TUMBRO] = u"Tumbro";
    t[SID_COPYRIGHT] = u"Copyright © Velmora studios. Alle Rechte vorbehalten.";
    t[SID_CREDITS] = u"Credits";
    t[SID_CREDITS1A1] = u"Idee, Design,";
    t[SID_CREDITS1A2] = u"Programmierung";
    t[SID_CREDITS1A3] = u"und Grafik";
    fillCreditNames(t);
    t[SID_CREDITS2A] = u"Musik";
    t[SID_CREDITS3A] = u"Logistik";
    t[SID_CREDITS4A] = u"Küchenchefin";
    t[SID_CREDITS5A] = u"Lokalisierung";
    t[SID_CREDITS6A] = u"Besonderer Dank";
    t[SID_CREDITS10A] = u"Qualitätssicherung";

    // The valley map and its hint boxes.
    t[SID_WELCOME] = u"Willkommen in Vorur Arudad!";
    t[SID_PLAY] = u"Spielen";
    t[SID_TOTALSCORE] = u"%s Punkte (%s)";
    t[SID_SEASON0] = u"Frühling";
    t[SID_SEASON1] = u"Sommer";
    t[SID_SEASON2] = u"Herbst";
    t[SID_SEASON3] = u"Winter";
    t[SID_HINTVALLEYPERCENTAGESTITLE] = u"Prozente";
    t[SID_HINTVALLEYPERCENTAGES] =
        u"Die Prozentzahl unter jedem geschafften Level zeigt, wie gut du es gemeistert hast. Zeige mit dem Mauszeiger "
        u"auf ein Level, um deine besten Ergebnisse dort zu sehen.";
    t[SID_HINTVALLEYBESTTITLE] = u"So schaffst du 100%";
    t[SID_HINTVALLEYBEST] =
        u"Für 100% musst du alle Äpfel nach Hause bringen, alle Süßigkeiten naschen, alle Geheimverstecke finden, kein "
        u"Leben verlieren und die Richtzeit schlagen!";
    t[SID_HINTPARTIMETITLE] = u"Richtzeit";
    t[SID_HINTPARTIME] = u"Jedes Level hat eine Richtzeit. Bist du schneller, bekommst du alle Zeitpunkte.";
    t[SID_HINTVALLEYBONUSTITLE] = u"Zuckerrausch";
    t[SID_HINTVALLEYBONUS] =
        u"Jedes vierte Level ist ein Bonuslevel. Nasche so viele Süßigkeiten wie möglich, bevor die Zeit abläuft!";
    t[SID_HINTVALLEYRECIPETITLE] = u"Geheimrezept";
    t[SID_HINTVALLEYRECIPE] =
        u"Schaffst du ein Level mit 100%, findest du einen Teil von Frau Tumbros Geheimrezept. Öffne das Rezept auf "
        u"der Karte, um nachzulesen, was du schon gefunden hast.";
    t[SID_HINTVALLEYSEASONTITLE] = u"Jahreszeit geschafft!";
    t[SID_HINTVALLEYSEASON1] = u"Der Frühling ist vorbei, und der Sommer zieht in die Täler. Gut gemacht!";
    t[SID_HINTVALLEYSEASON2] = u"Der Sommer ist vorbei. Die Blätter färben sich golden: Der Herbst ist da!";
    t[SID_HINTVALLEYSEASON3] =
        u"Der Herbst ist vorbei, und die ersten Schneeflocken fallen. Zieh dich warm an, Frau Tumbro!";
    t[SID_HINTALLCOMPLETETITLE] = u"Alles geschafft: 100%!";
    t[SID_HINTALLCOMPLETE] = u"Du bist ein Superschwein!";

    // Playing a level: messages, the pause menu and the statistics.
    t[SID_LEVELX] = u"Level %d";
    t[SID_GO] = u"LOS!";
    t[SID_LEVELCOMPLETE] = u"Level geschafft!";
    t[SID_OUTOFTIME] = u"Die Zeit ist um!";
    t[SID_SECRETAREA] = u"Geheimversteck!";
    t[SID_PAUSED] = u"Pause";
    t[SID_RESUME] = u"Weiterspielen";
    t[SID_RESUMEHINT] = u"Das Spiel fortsetzen";
    t[SID_RESTART] = u"Level neu starten";
    t[SID_RESTARTHINT] = u"Das Level von vorn beginnen (dein Fortschritt geht verloren!)";
    t[SID_QUITGAME] = u"Level beenden";
    t[SID_QUITGAMEHINT] = u"Das Level abbrechen und zur Karte zurückkehren (dein Fortschritt geht verloren!)";
    t[SID_ONEMOREAPPLE] = u"Nur noch ein Apfel!";
    t[SID_XMOREAPPLES] = u"Dir fehlen noch %d Äpfel!";
    t[SID_STATISTICS] = u"Statistik";
    t[SID_PRESSXKEYTOCONTINUE] = u"Bitte %s drücken, um fortzufahren";
    t[SID_STATSSCORE] = u"Punkte";
    t[SID_STATSAPPLESREQUIRED] = u"Äpfel";
    t[SID_STATSAPPLESBONUS] = u"Bonusäpfel";
    t[SID_STATSSWEETS] = u"Süßigkeiten";
    t[SID_STATSSECRETS] = u"Geheimverstecke";
    t[SID_STATSDEATHS] = u"Verlorene Leben";
    t[SID_STATSSPOILEDAPPLES] = u"Verdorbene Äpfel";
    t[SID_STATSTIME] = u"Zeit";
    t[SID_STATSTOTAL] = u"Gesamt";
    t[SID_NEWRECORD] = u"NEUER REKORD!";
    t[SID_PERFECT] = u"PERFEKT!";
}

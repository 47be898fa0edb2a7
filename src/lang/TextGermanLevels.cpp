// The German texts of identifiers 837 to 1031: level titles, the end-of-level tips and the in-game hints.
#include "lang/TextTables.h"

void fillGermanLevels(TextRow& t) {
    // Level titles: LEVELTITLEn is the title of level n. Valleys of four levels
    // (the fourth a bonus level); two valleys to a season, from spring to winter.
    t[SID_LEVELTITLE0] = u"Erste Schritte";
    t[SID_LEVELTITLE1] = u"Apfelhügel";
    t[SID_LEVELTITLE2] = u"Der kleine Bach";
    t[SID_LEVELTITLE3] = u"Die süße Wiese";
    t[SID_LEVELTITLE4] = u"Blütenweg";
    t[SID_LEVELTITLE5] = u"Der alte Obstgarten";
    t[SID_LEVELTITLE6] = u"Über die Brücke";
    t[SID_LEVELTITLE7] = u"Zuckerbach";
    t[SID_LEVELTITLE8] = u"Sonnenblumenfelder";
    t[SID_LEVELTITLE9] = u"Der Froschteich";
    t[SID_LEVELTITLE10] = u"Windige Höhen";
    t[SID_LEVELTITLE11] = u"Honiggrund";
    t[SID_LEVELTITLE12] = u"Schlammbad";
    t[SID_LEVELTITLE13] = u"Brombeerwald";
    t[SID_LEVELTITLE14] = u"Der träge Fluss";
    t[SID_LEVELTITLE15] = u"Lutscherkamm";
    t[SID_LEVELTITLE16] = u"Fallende Blätter";
    t[SID_LEVELTITLE17] = u"Das Kürbisfeld";
    t[SID_LEVELTITLE18] = u"Labyrinth";
    t[SID_LEVELTITLE19] = u"Das stille Tal";
    t[SID_LEVELTITLE20] = u"Nebelmoor";
    t[SID_LEVELTITLE21] = u"Geysirschlucht";
    t[SID_LEVELTITLE22] = u"Bärenland";
    t[SID_LEVELTITLE23] = u"Liebesapfelmarkt";
    t[SID_LEVELTITLE24] = u"Der erste Schnee";
    t[SID_LEVELTITLE25] = u"Dünnes Eis";
    t[SID_LEVELTITLE26] = u"Der gefrorene Wasserfall";
    t[SID_LEVELTITLE27] = u"Lebkuchenlichtung";
    t[SID_LEVELTITLE28] = u"Schneewehenhügel";
    t[SID_LEVELTITLE29] = u"Der lange Aufstieg";
    t[SID_LEVELTITLE30] = u"Heim vor der Dunkelheit";
    t[SID_LEVELTITLE31] = u"Das große Backen";

    // Tips shown under the statistics after level n (none after the last two).
    t[SID_HINTENDLEVEL0] = u"Tipp: Je schneller du ein Level schaffst, desto mehr Zeitpunkte bekommst du.";
    t[SID_HINTENDLEVEL1] = u"Tipp: Süßigkeiten bringen Extrapunkte. Versuche, alle zu finden!";
    t[SID_HINTENDLEVEL2] = u"Tipp: Geheimverstecke liegen abseits des Weges. Schau dich gut um!";
    t[SID_HINTENDLEVEL3] = u"Tipp: In Bonusleveln zählt jede Sekunde!";
    t[SID_HINTENDLEVEL4] = u"Tipp: Halte deine Äpfel von hungrigen Würmern und Schnecken fern.";
    t[SID_HINTENDLEVEL5] = u"Tipp: Schaffe ein Level mit 100%, um einen Teil des Geheimrezepts zu finden.";
    t[SID_HINTENDLEVEL6] = u"Tipp: Du kannst jedes geschaffte Level noch einmal spielen, um besser zu werden.";
    t[SID_HINTENDLEVEL7] = u"Tipp: Auf der Levelkarte siehst du, wo die Äpfel liegen.";
    t[SID_HINTENDLEVEL8] = u"Tipp: In einem Korb kannst du mehrere Äpfel auf einmal tragen.";
    t[SID_HINTENDLEVEL9] = u"Tipp: Frösche fangen nur Äpfel, die vor ihrer Nase vorbeirollen.";
    t[SID_HINTENDLEVEL10] = u"Tipp: Erst schauen, dann springen, besonders am Wasser!";
    t[SID_HINTENDLEVEL11] =
        u"Tipp: Für einen verdorbenen Apfel wächst ein neuer nach, aber der verdorbene zählt trotzdem.";
    t[SID_HINTENDLEVEL12] = u"Tipp: Schlamm verdirbt Äpfel, aber einem Schwein macht ein bisschen Schlamm nichts aus.";
    t[SID_HINTENDLEVEL13] = u"Tipp: Igel nehmen jeden Apfel mit, den sie berühren.";
    t[SID_HINTENDLEVEL14] = u"Tipp: Warte, bis der Fisch wegschwimmt, bevor du deine Äpfel vorbeirollst.";
    t[SID_HINTENDLEVEL15] = u"Tipp: Deine Statistik zeigt, was dir noch fehlt. Schaffst du 100%?";
    t[SID_HINTENDLEVEL16] = u"Tipp: Mit dem Zauberhut kannst du in der Luft ein zweites Mal springen.";
    t[SID_HINTENDLEVEL17] = u"Tipp: Mit einem Regenschirm wird aus einem tiefen Fall ein sanfter Gleitflug.";
    t[SID_HINTENDLEVEL18] = u"Tipp: Ein Kompass zeigt immer zu dem, was du suchst.";
    t[SID_HINTENDLEVEL19] = u"Tipp: Pferde kommen auch an die Äpfel in deinem Korb heran!";
    t[SID_HINTENDLEVEL20] = u"Tipp: Geysire brechen in einem festen Rhythmus aus. Erst zuschauen, dann losgehen.";
    t[SID_HINTENDLEVEL21] = u"Tipp: Säure verdirbt Äpfel im Nu. Halte dich fern!";
    t[SID_HINTENDLEVEL22] = u"Tipp: Bären beißen in Äpfel und schubsen dich weg. Halte Abstand!";
    t[SID_HINTENDLEVEL23] = u"Tipp: Spiel die Bonuslevel noch einmal, um deinen Rekord zu schlagen.";
    t[SID_HINTENDLEVEL24] = u"Tipp: Eis ist glatt, also bremse rechtzeitig!";
    t[SID_HINTENDLEVEL25] = u"Tipp: Durch ein Fernrohr siehst du, was vor dir liegt.";
    t[SID_HINTENDLEVEL26] =
        u"Tipp: Verlierst du ein Leben, geht es dort weiter, wo dein Fortschritt zuletzt gespeichert wurde.";
    t[SID_HINTENDLEVEL27] = u"Tipp: Nicht jeder Apfel muss sofort nach Hause.";
    t[SID_HINTENDLEVEL28] = u"Tipp: Lass dir Zeit und erkunde erst die Gegend. Die Äpfel warten auf dich.";
    t[SID_HINTENDLEVEL29] = u"Fast geschafft! Der Ofen wird schon warm.";
    t[SID_HINTENDLEVEL30] = u"";
    t[SID_HINTENDLEVEL31] = u"";

    // In-game hints, shown by the hint objects of the levels as a panel or a
    // speech bubble. Key markers stand for the keys the player has bound.
    t[SID_HINTMOVELEFTRIGHT] = u"Mit #LEFT# und #RIGHT# läufst du herum";
    t[SID_HINTESC] = u"#ESC# pausiert das Spiel und öffnet das Menü";
    t[SID_HINTLETSGO] = u"Los geht's! Die Äpfel rollen nicht von allein nach Hause.";
    t[SID_HINTJUMP] = u"Mit #FIRE# springst du über Hindernisse";
    t[SID_HINTPRESENT] = u"Oh, ein Geschenk! Was da wohl drin ist...?";
    t[SID_HINTSWEETS] = u"Süßigkeiten bringen Extrapunkte. Versuche, alle zu naschen!";
    t[SID_HINTAPPLE1A] = u"Sieh mal, ein Apfel im Baum! Spring hoch und stoß ihn herunter.";
    t[SID_HINTAPPLE1B] = u"Jetzt lauf gegen den Apfel, um ihn vor dir herzuschieben.";
    t[SID_HINTAPPLE2] = u"Roll den Apfel bis in dein Haus.";
    t[SID_HINTSECRET1] = u"Manche Orte liegen gut versteckt abseits des Weges. Finde sie für Extrapunkte!";
    t[SID_HINTSECRET2] = u"Psst! Hier in der Nähe könnte ein Geheimversteck sein...";
    t[SID_HINTWATER] = u"Schweine können durchs Wasser waten, aber es bremst sie.";
    t[SID_HINTCOMPLETELEVEL1] =
        u"Bring genug Äpfel in dein Haus, um das Level zu schaffen. Die Äpfel oben am Bildschirm zeigen, wie viele du "
        u"brauchst.";
    t[SID_HINTCOMPLETELEVEL2] =
        u"Genug Äpfel beisammen? Dann geh in dein Haus und warte dort, um das Level zu beenden.";
    t[SID_HINTSIGN] = u"Stell dich vor eine Notiz und drück #UP#, um sie zu lesen";
    t[SID_HINTWORM] = u"Würmer verderben jeden Apfel, den sie erreichen. Verjag sie, bevor sie dort ankommen!";
    t[SID_HINTSPOILEDAPPLES] =
        u"Verdorbene Äpfel zählen nicht. Aber keine Sorge: Für jeden wächst dort, wo er herkam, ein frischer nach.";
    t[SID_HINTSPOILEDAPPLES2] = u"Jeder verdorbene Apfel landet in deiner Statistik. Pass also gut auf sie auf!";
    t[SID_HINTAPPLEJUMP] =
        u"Spring über den Apfel, um hinter ihn zu kommen, und schieb ihn dann in die andere Richtung.";
    t[SID_HINTTREEJUMP] = u"Du kannst auf die Äste springen, um an die Äpfel weiter oben zu kommen.";
    t[SID_HINTSWITCH] = u"Drück #UP#, um Schalter zu betätigen";
    t[SID_HINTSTEEPSLOPE] = u"Dieser Hang ist zu steil zum Hinaufgehen. Versuch es mit Springen!";
    t[SID_HINTLADDER] = u"Drück auf Leitern mehrmals #FIRE#, um hinaufzuklettern";
    t[SID_HINTSTATS] = u"Mit #ALTFIRE# kannst du jederzeit deine Levelstatistiken überprüfen";
    t[SID_HINTCOMPASSAPPLE] = u"Dieser Kompass zeigt immer zum nächsten Apfel.";
    t[SID_HINTCOMPASSCARRY] = u"Drück #UP#, um den Kompass mitzunehmen";
    t[SID_HINTCOMPASSDROP] = u"Drück noch einmal #UP#, um abzulegen, was du trägst";
    t[SID_HINTRABBIT] =
        u"Kaninchen knabbern Äpfel an, die an ihrem Bau vorbeirollen. Warte, bis das Kaninchen wieder abtaucht!";
    t[SID_HINTTELESCOPE] = u"Drück #UP#, um durch das Fernrohr zu schauen";
    t[SID_HINTPLATFORM] = u"Spring auf die Plattform und lass dich tragen.";
    t[SID_HINTSNAPSHOT] = u"Klick! Dein Fortschritt wurde gespeichert.";
    t[SID_HINTBEE] = u"Bienen mögen keinen Besuch. Geh ihnen aus dem Weg!";
    t[SID_HINTSCOUTAHEAD] = u"Es lohnt sich, erst die Gegend zu erkunden, bevor du Äpfel herumschiebst.";
    t[SID_HINTREDEFINECONTROLS] = u"Dir gefallen die Tasten nicht? Drück #ESC# und ändere sie unter Optionen.";
    t[SID_HINTFISH1] = u"Fische schnappen nach jedem Apfel, der in ihrem Wasser landet.";
    t[SID_HINTCACTUS] = u"Autsch! Kakteen sind stachelig. Nicht anfassen!";
    t[SID_HINTBASKET1A] = u"Ein Korb! Äpfel, die hineinfallen, bleiben drin, und du kannst ihn nach Hause tragen.";
    t[SID_HINTBASKET1B] = u"Drück #UP#, um den Korb aufzuheben";
    t[SID_HINTBUTTERFLY] = u"Was für ein hübscher Schmetterling!";
    t[SID_HINTMAP] = u"Drück jederzeit #MAP#, um eine Karte des Levels zu sehen.";
    t[SID_HINTSNAIL] = u"Schnecken sind langsam, aber sie knabbern jeden Apfel auf ihrem Weg an.";
    t[SID_HINTCOMPASSBASKET] = u"Dieser Kompass zeigt zum nächsten Korb.";
    t[SID_HINTFINDBASKET] = u"Zu viele Äpfel, um sie einzeln zu schieben? Such dir einen Korb!";
    t[SID_HINTBUTTON] = u"Drück #UP#, um Knöpfe zu betätigen";
    t[SID_HINTHOTAIRBALLOON] = u"Ein Heißluftballon! Steig in den Korb und genieß die Aussicht.";
    t[SID_HINTBASKETFOUND] = u"Da ist der Korb! Jetzt füll ihn mit Äpfeln.";
    t[SID_HINTONEWAYSLOPE] = u"Wenn du hier hinunterrutschst, kommst du nicht mehr zurück.";
    t[SID_HINTONEWAYSLOPETALK] = u"Hm, bevor ich da hinuntergehe, nehme ich lieber alles mit.";
    t[SID_HINTCLEVER] = u"Manchmal lohnt es sich, erst nachzudenken und dann zu schieben.";
    t[SID_HINTBRUTEFORCE] = u"Manche Hindernisse brauchen einfach einen ordentlichen Knall!";
    t[SID_HINTAPPLEBOUNCE] =
        u"Äpfel hüpfen und rollen in jeden Korb, der ihnen im Weg steht. Drück #UP#, um den Korb unter dem Baum "
        u"abzustellen.";
    t[SID_HINTFROG] = u"Frösche fangen Äpfel mit ihrer langen Zunge. Halte deine Äpfel außer Reichweite!";
    t[SID_HINTBASKET2] = u"In diesen Korb passen zwei Äpfel.";
    t[SID_HINTAPPLELEAVE] = u"Nicht jeder Apfel muss sofort nach Hause. Manchmal lässt man einen besser liegen.";
    t[SID_HINTSPRINGBOARD] = u"Tritt auf das Sprungbrett, und hoch geht's!";
    t[SID_HINTHORSE1] = u"Pferde lieben Äpfel! Lass dieses hier nicht zu nah an deine heran.";
    t[SID_HINTSACRIFICE] = u"Manchmal muss man einen Apfel opfern, um die anderen zu retten.";
    t[SID_HINTHORSE2] = u"Das Pferd ist mit Kauen beschäftigt. Schnell, schleich dich vorbei!";
    t[SID_HINTGEYSER] = u"Geysire brechen immer wieder aus. Warte auf den richtigen Moment!";
    t[SID_HINTMUD] = u"Äpfel, die in den Schlamm rollen, sind verdorben. Halte sie davon fern!";
    t[SID_HINTMUDBASKET] = u"Trag die Äpfel in einem Korb über den Schlamm.";
    t[SID_HINTBASKET3] = u"In diesen Korb passen drei Äpfel.";
    t[SID_HINTMUDDEEP] = u"Dieser Schlamm ist tief! Such lieber einen anderen Weg.";
    t[SID_HINTFISH2] = u"Dieser Fisch springt aus dem Wasser, um sich Äpfel zu schnappen. Halte sie weit weg vom Ufer!";
    t[SID_HINTHEDGEHOG] = u"Igel spießen Äpfel auf ihre Stacheln, und dich rempeln sie auch an.";
    t[SID_HINTBASKETSAVE] = u"Äpfel im Korb sind vor Würmern und Schnecken sicher.";
    t[SID_HINTACID] = u"Bleib weg von der Säure! Sie verdirbt Äpfel sofort.";
    t[SID_HINTHAT] =
        u"Mit dem Zauberhut kannst du doppelt springen: Drück #FIRE# und in der Luft gleich noch einmal #FIRE#!";
    t[SID_HINTHATMAXJUMP] = u"Spring am höchsten Punkt deines ersten Sprungs noch einmal, dann kommst du am höchsten.";
    t[SID_HINTACIDDROP] = u"Vorsicht! Lass deine Äpfel nicht in die Säure fallen.";
    t[SID_HINTHATDROP] = u"Leg den Hut ab, wenn du etwas anderes tragen willst.";
    t[SID_HINTLEAVEBASKETHERE] =
        u"Lass den Korb lieber hier. Für das, was jetzt kommt, reist du besser mit leichtem Gepäck!";
    t[SID_HINTBASKETDROP] = u"Trag den Korb zu deinem Haus, dann werden alle Äpfel darin auf einmal abgeliefert.";
    t[SID_HINTBEAR] = u"Ein Bär! Er beißt in jeden Apfel, den er erreicht, und schubst dich weg. Sei schnell!";
    t[SID_HINTCAKE] = u"Mmh, ich kann den Apfelkuchen schon fast riechen!";
    t[SID_HINTBLUEFLOWER] =
        u"Diese blauen Blumen merken sich, wo du warst. Verlierst du ein Leben, geht es bei der letzten weiter, an der "
        u"du vorbeigekommen bist.";
    t[SID_HINTCHASM] = u"Da geht es tief hinunter! Nimm Anlauf, bevor du springst.";
    t[SID_HINTCOMPASSHOUSE] = u"Dieser Kompass zeigt immer den Weg nach Hause.";
    t[SID_HINTTOOFAR] = u"Bis nach Hause ist es weit. Vielleicht hilft ein Korb?";
    t[SID_HINTHORSEORGANIZED] = u"Was für ein ordentliches Pferd! Alles an seinem Platz.";
    t[SID_HINTSPIDERHAM] = u"Schau mal, wie ich klettere! Wer hätte gedacht, dass ein Schwein das kann?";
    t[SID_HINTBASKET4] = u"In diesen Korb passen... öhm... sehr " TXT_STRONG u"VIELE" TXT_NORMAL u" Äpfel!";
    t[SID_HINTBASKETTOOHIGH] = u"Der Korb steckt da oben fest. Wie kommst du wohl hinauf?";
    t[SID_HINTDONTFORGETAPPLES] = u"Vergiss die Äpfel nicht, die du zurückgelassen hast!";
    t[SID_HINTTREENOSWEETS] = u"Auf diesem Baum gibt es keine Süßigkeiten... nur Blätter.";
    t[SID_HINTHUMDEDUM] = u"Hm-hm-hmm, dü-dü... Hier ist es so still.";
    t[SID_HINTTHISISMORELIKEIT] = u"So gefällt mir das schon besser!";
    t[SID_HINTUMBRELLA] = u"Ein Regenschirm! Wenn du ihn trägst, schwebst du nach einem Sprung sanft zu Boden.";
    t[SID_HINTUNGH] = u"Uff!";
    t[SID_HINTPHEW] = u"Puh! Das war knapp.";
    t[SID_HINTUMBRELLAHEIGHT] = u"Je höher du abspringst, desto weiter kannst du gleiten.";
    t[SID_HINTMIDAIRSWITCH] = u"Dieser Schalter hängt mitten in der Luft. Kommst du dran?";
    t[SID_HINTPUMPKINRIDE] = u"Ein Riesenkürbis! Spring auf und fahr mit.";
    t[SID_HINTALLABOARD] = u"Alle einsteigen!";
    t[SID_HINTALLABOARDPIG] = u"Wartet auf mich!";
    t[SID_HINTPUMPKINRIDESTART] = u"Los geht's!";
    t[SID_HINTPUMPKINRIDEMID] = u"Huiii! Gut festhalten!";
    t[SID_HINTPUMPKINRIDESTOP] = u"Endstation. Alle aussteigen!";
    t[SID_HINTDRAWBRIDGEBLOCK] = u"Die Zugbrücke ist oben. Irgendwo muss es einen Schalter geben.";
    t[SID_HINTTHATWASEASY] = u"Das war leicht!";
    t[SID_HINTUHOH] = u"Oh-oh...";
    t[SID_HINTBRRR] = u"Brrrr...!";
    t[SID_HINTROMANIANJUDGE] = u"Was für eine Landung! Selbst die strengste Jury gäbe dafür eine Zehn.";
    t[SID_HINTICE] = u"Vorsicht, das Eis ist glatt! Darauf kommt man nur schwer zum Stehen.";
    t[SID_HINTCHICKENSHOO] = u"Husch, ihr Hühner, husch!";
    t[SID_HINTTHINBRANCH] = u"Dieser Ast sieht ziemlich dünn aus...";
    t[SID_HINTTHINBRANCHPIG] = u"Vielleicht hätte ich das zweite Stück Kuchen lieber weglassen sollen.";
    t[SID_HINTOPENSESAME] = u"Sesam, öffne dich!";
    t[SID_HINTCOLDWATER] = u"Oh! Kalt! " TXT_HIGHLIGHT u"KALT!" TXT_NORMAL;
    t[SID_HINTRAINBOW1] = u"Ein Regenbogen! Man sagt, an seinem Ende liegt ein Schatz.";
    t[SID_HINTRAINBOW2] = u"Kein Gold... aber ein wunderschöner glänzender Apfel!";
    t[SID_HINTWORKOUT1] = u"Zeit für meine Morgengymnastik!";
    t[SID_HINTWORKOUT2] = u"Und eins, und zwei...";
    t[SID_HINTWORKOUT3] = u"Hoch, und runter, und hoch...";
    t[SID_HINTWORKOUT4] = u"Schnauf... keuch...";
    t[SID_HINTWORKOUT5] = u"Nur noch einmal...";
    t[SID_HINTWORKOUT6] = u"Geschafft! Ich fühle mich federleicht.";
    t[SID_HINTFINALAPPLE] = u"Der allerletzte Apfel des Jahres! Bringen wir ihn nach Hause.";
    t[SID_HINTSUPERAPPLE] = u"Was für ein Riesenapfel! Er ist schwer, also gib ihm einen kräftigen Schubs.";
    t[SID_HINTCASTWORM] = u"Der Wurm: klein, zappelig und immer hungrig auf Äpfel.";
    t[SID_HINTCASTBEE] = u"Die Biene: fleißig, summend und am besten in Ruhe zu lassen.";
    t[SID_HINTCASTSNAIL] = u"Die Schnecke: langsam, aber beharrlich, und sie knabbert gern.";
    t[SID_HINTCASTFROG] = u"Der Frosch: sitzt ganz still, bis ein Apfel vorbeirollt.";
    t[SID_HINTCASTFISH] = u"Der Fisch: lebt im Teich und schnappt nach allem, was hineinfällt.";
    t[SID_HINTCASTRABBIT] = u"Das Kaninchen: taucht auf, wenn man am wenigsten damit rechnet.";
    t[SID_HINTCASTHEDGEHOG] = u"Der Igel: außen stachelig, innen ganz lieb.";
    t[SID_HINTCASTHORSE] = u"Das Pferd: groß, freundlich und ganz verrückt nach Äpfeln.";
    t[SID_HINTCASTBEAR] = u"Der Bär: brummig vor dem Frühstück, und danach auch.";
    t[SID_HINTCASTPIGLETS] = u"Die Ferkel: Frau Tumbros drei kleine Schätze.";
    t[SID_HINTCASTCHICKEN] = u"Die Hühner: Beim leisesten Geräusch flattern sie davon...";
    t[SID_HINTCASTCHICKEN2] = u"...und sie kommen immer wieder zurück.";
}

<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="de">
<context>
    <name>AboutBox</name>
    <message>
        <source>Info</source>
        <translation>Info</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>© 2026 Heulmeister-Projekt</source>
        <translation>© 2026 Heulmeister Project</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>unknown option &apos;%1&apos; (a file name starting with &apos;-&apos; goes after &apos;--&apos;)</source>
        <translation>unknown option &apos;%1&apos; (a file name starting with &apos;-&apos; goes after &apos;--&apos;)</translation>
    </message>
    <message>
        <source>Usage: heulmeister [OPTION]... [--] [RESULTS.HMD]
Ear-training game: find the third-octave band in which a feedback tone rings.

  RESULTS.HMD     results data file (Heulmeister Daten) to load at start
  -h, --help      show this help and exit
  -v, --version   show the version and exit
  --              end of options; a following name may start with &apos;-&apos;

  heulmeister --render-stage SEED OUT.wav [--seconds S] [--no-room]
              [--cut BAND:DB@SECONDS]...
                  render a simulated stage feedback loop to a WAV file,
                  without a window or a sound device; prints its events

Qt&apos;s own options (such as -platform or -style) are accepted as well.
</source>
        <translation>Usage: heulmeister [OPTION]... [--] [RESULTS.HMD]
Ear-training game: find the third-octave band in which a feedback tone rings.

  RESULTS.HMD     results data file (Heulmeister Daten) to load at start
  -h, --help      show this help and exit
  -v, --version   show the version and exit
  --              end of options; a following name may start with &apos;-&apos;

  heulmeister --render-stage SEED OUT.wav [--seconds S] [--no-room]
              [--cut BAND:DB@SECONDS]...
                  render a simulated stage feedback loop to a WAV file,
                  without a window or a sound device; prints its events

Qt&apos;s own options (such as -platform or -style) are accepted as well.
</translation>
    </message>
</context>
<context>
    <name>ConfusionHeatMap</name>
    <message numerus="yes">
        <source>%1 klang in %n Runden und wurde in %2 davon beim ersten Versuch gefunden (%3).</source>
        <translation>
            <numerusform>%1 rang in %n round; found at the first attempt: %2 (%3).</numerusform>
            <numerusform>%1 rang in %n rounds and was found at the first attempt in %2 of them (%3).</numerusform>
        </translation>
    </message>
    <message>
        <source>Es klang %1, versucht wurde %2: in %3 von %4 Runden (%5).</source>
        <translation>%1 rang, %2 was tried: in %3 of %4 rounds (%5).</translation>
    </message>
    <message>
        <source>%1 beim ersten Versuch gefunden: %2, im Zeitraum davor %3.</source>
        <translation>%1 found at the first attempt: %2, in the period before: %3.</translation>
    </message>
    <message>
        <source>versuchtes Band</source>
        <translation>band tried</translation>
    </message>
    <message>
        <source>klingendes Band</source>
        <translation>ringing band</translation>
    </message>
</context>
<context>
    <name>ConfusionView</name>
    <message>
        <source>einmal</source>
        <translation>once</translation>
    </message>
    <message>
        <source>%1-mal</source>
        <translation>%1 times</translation>
    </message>
    <message>
        <source>Im gewählten Zeitraum ist keine Runde aufgezeichnet. Jede beendete Runde landet im Trainingsjournal; nach ein paar Runden zeigt dieses Fenster, welche Bänder Sie miteinander verwechseln.</source>
        <translation>No round has been recorded in the chosen period. Every finished round goes into the training journal; after a few rounds this window shows which bands you mix up.</translation>
    </message>
    <message>
        <source>Im gewählten Zeitraum gab es keinen Fehlversuch, also keine Verwechslung.</source>
        <translation>There was no wrong try in the chosen period, so no confusion.</translation>
    </message>
    <message>
        <source>Am häufigsten wurde %1 für %2 gehalten (%3).</source>
        <translation>Most often, %1 was taken for %2 (%3).</translation>
    </message>
    <message>
        <source>Am häufigsten wurde %1 für %2 gehalten (%3), danach %4 für %5 (%6).</source>
        <translation>Most often, %1 was taken for %2 (%3), then %4 for %5 (%6).</translation>
    </message>
    <message>
        <source>Am häufigsten wurde %1 für %2 gehalten (%3), danach %4 für %5 (%6) und %7 für %8 (%9).</source>
        <translation>Most often, %1 was taken for %2 (%3), then %4 for %5 (%6) and %7 for %8 (%9).</translation>
    </message>
    <message>
        <source>kein Fehlversuch</source>
        <translation>no wrong try</translation>
    </message>
    <message>
        <source>eine Terz</source>
        <translation>a third of an octave</translation>
    </message>
    <message>
        <source>zwei Terzen</source>
        <translation>two thirds of an octave</translation>
    </message>
    <message>
        <source>eine Oktave</source>
        <translation>an octave</translation>
    </message>
    <message>
        <source>mehr als eine Oktave</source>
        <translation>more than an octave</translation>
    </message>
    <message>
        <source>mal zu hoch, mal zu tief</source>
        <translation>sometimes too high, sometimes too low</translation>
    </message>
    <message>
        <source>meist %1 zu tief</source>
        <translation>mostly %1 too low</translation>
    </message>
    <message>
        <source>meist %1 zu hoch</source>
        <translation>mostly %1 too high</translation>
    </message>
    <message>
        <source>Verwechslungen</source>
        <translation>Confusions</translation>
    </message>
    <message>
        <source>Zeitraum:</source>
        <translation>Period:</translation>
    </message>
    <message>
        <source>Letzte 7 Tage</source>
        <translation>Last 7 days</translation>
    </message>
    <message>
        <source>Letzte 30 Tage</source>
        <translation>Last 30 days</translation>
    </message>
    <message>
        <source>Alle</source>
        <translation>All</translation>
    </message>
    <message>
        <source>Je Zelle: in wie viel Prozent der Runden des klingenden Bandes das Band der Spalte versucht wurde; auf der Diagonale: beim ersten Versuch gefunden. Die Pfeile rechts vergleichen das mit dem gleich langen Zeitraum davor. Die Anzahl zeigt sich, wenn Sie mit der Maus auf die Zelle zeigen.</source>
        <translation>Each cell: in what percentage of the ringing band&apos;s rounds the column&apos;s band was tried; on the diagonal: found at the first attempt. The arrows on the right compare this with the period of the same length before. Point the mouse at a cell to see the count.</translation>
    </message>
    <message>
        <source>Das Trainingsjournal wird gelesen ...</source>
        <translation>Reading the training journal ...</translation>
    </message>
    <message>
        <source>Das Trainingsjournal ist ausgeschaltet: %1</source>
        <translation>The training journal is switched off: %1</translation>
    </message>
    <message>
        <source>Richtung der Fehlversuche (Bänder mit mindestens %1 Runden):</source>
        <translation>Direction of the wrong tries (bands with at least %1 rounds):</translation>
    </message>
</context>
<context>
    <name>CurvePlot</name>
    <message>
        <source>beim ersten Versuch gefunden (%)</source>
        <translation>found at the first attempt (%)</translation>
    </message>
    <message>
        <source>erster Versuch auf dem Band oder daneben (%)</source>
        <translation>first attempt on the band or next to it (%)</translation>
    </message>
    <message>
        <source>Median der Fundzeit (s)</source>
        <translation>Median find time (s)</translation>
    </message>
    <message>
        <source>Bühne: Median der Fundzeit (s)</source>
        <translation>Stage: median find time (s)</translation>
    </message>
    <message>
        <source>Tag</source>
        <translation>Day</translation>
    </message>
    <message>
        <source>Anteil in %</source>
        <translation>Share in %</translation>
    </message>
    <message>
        <source>Fundzeit in s</source>
        <translation>Find time in s</translation>
    </message>
    <message>
        <source>Frequenz in Hz</source>
        <translation>Frequency in Hz</translation>
    </message>
    <message>
        <source>Schleifenverstärkung vor den Schnitten</source>
        <translation>Loop gain before the cuts</translation>
    </message>
    <message>
        <source>nach den Schnitten</source>
        <translation>after the cuts</translation>
    </message>
    <message>
        <source>0 dB: darüber heult es</source>
        <translation>0 dB: above it, it howls</translation>
    </message>
    <message>
        <source>Rückkopplungen</source>
        <translation>Howls</translation>
    </message>
    <message>
        <source>Equalizer</source>
        <translation>Equalizer</translation>
    </message>
    <message>
        <source>Schleife in dB</source>
        <translation>Loop gain in dB</translation>
    </message>
    <message>
        <source>EQ in dB</source>
        <translation>EQ in dB</translation>
    </message>
</context>
<context>
    <name>CurvePlotModule</name>
    <message>
        <source>Das Modul für die Grafik fehlt (gesucht: %1).</source>
        <translation>The module for the graph is missing (looked for: %1).</translation>
    </message>
    <message>
        <source>Das Modul für die Grafik lässt sich nicht laden: %1</source>
        <translation>The module for the graph cannot be loaded: %1</translation>
    </message>
</context>
<context>
    <name>FaderRenderer</name>
    <message>
        <source>VOL</source>
        <translation>VOL</translation>
    </message>
</context>
<context>
    <name>FaderView</name>
    <message>
        <source>Lautstärke</source>
        <translation>Volume</translation>
    </message>
    <message>
        <source>%1 Hz</source>
        <translation>%1 Hz</translation>
    </message>
    <message>
        <source>%1 kHz</source>
        <translation>%1 kHz</translation>
    </message>
    <message>
        <source>Fehlversuch</source>
        <translation>Wrong try</translation>
    </message>
    <message>
        <source>Fehlversuch, zu tief</source>
        <translation>Wrong try, too low</translation>
    </message>
    <message>
        <source>Fehlversuch, zu hoch</source>
        <translation>Wrong try, too high</translation>
    </message>
</context>
<context>
    <name>FileErrorText</name>
    <message>
        <source>Auf dem Datenträger ist kein Platz mehr frei.</source>
        <translation>There is no space left on the disk.</translation>
    </message>
    <message>
        <source>Der Datenträger ist schreibgeschützt.</source>
        <translation>The disk is write-protected.</translation>
    </message>
    <message>
        <source>Zugriff verweigert.</source>
        <translation>Access denied.</translation>
    </message>
    <message>
        <source>Der Ordner oder die Datei existiert nicht.</source>
        <translation>The folder or the file does not exist.</translation>
    </message>
    <message>
        <source>An Stelle der Datei steht ein Ordner.</source>
        <translation>There is a folder where the file should be.</translation>
    </message>
    <message>
        <source>Der Dateiname ist zu lang.</source>
        <translation>The file name is too long.</translation>
    </message>
    <message>
        <source>Zu viele geöffnete Dateien.</source>
        <translation>Too many open files.</translation>
    </message>
    <message>
        <source>Ein-/Ausgabefehler %1 (%2).</source>
        <translation>Input/output error %1 (%2).</translation>
    </message>
</context>
<context>
    <name>FileKind</name>
    <message>
        <source>eine benannte Pipe (FIFO)</source>
        <translation>a named pipe (FIFO)</translation>
    </message>
    <message>
        <source>ein Gerät</source>
        <translation>a device</translation>
    </message>
    <message>
        <source>ein Socket</source>
        <translation>a socket</translation>
    </message>
</context>
<context>
    <name>GameFlow</name>
    <message>
        <source>Keine Soundkarte gefunden</source>
        <translation>No sound card found</translation>
    </message>
    <message>
        <source>Dieses Programm benötigt eine Soundkarte.</source>
        <translation>This program needs a sound card.</translation>
    </message>
    <message>
        <source>Neues Spiel starten?</source>
        <translation>Start a new game?</translation>
    </message>
    <message>
        <source>Alle Ergebnisse gehen verloren. Trotzdem neues Spiel beginnen?</source>
        <translation>All results will be lost. Start a new game anyway?</translation>
    </message>
</context>
<context>
    <name>HearingCheck</name>
    <message>
        <source>Open</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>Set Vol</source>
        <translation>Set Vol</translation>
    </message>
    <message>
        <source>Prepare 1</source>
        <translation>Prepare 1</translation>
    </message>
    <message>
        <source>Prepare 2</source>
        <translation>Prepare 2</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>Write 1</source>
        <translation>Write 1</translation>
    </message>
    <message>
        <source>Write 2</source>
        <translation>Write 2</translation>
    </message>
    <message>
        <source>Restart</source>
        <translation>Restart</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>HearingCheckDialog</name>
    <message>
        <source>Hörtest</source>
        <translation>Listening Check</translation>
    </message>
    <message>
        <source>„hörbar“ drücken, sobald der Ton zu hören ist. Jedes Band beginnt bei -60 dBFS und wird alle %1 s um 5 dB lauter, bis zum Pegel des Spieltons.</source>
        <translation>Press “audible” as soon as you can hear the tone. Each band starts at -60 dBFS and gets 5 dB louder every %1 s, up to the level of the game’s tone.</translation>
    </message>
    <message>
        <source>Pegelreferenz: Rosa Rauschen im Pegel des Spieltons, so laut wie ein Gespräch einstellen.</source>
        <translation>Level reference: pink noise at the level of the game’s tone; set it as loud as a conversation.</translation>
    </message>
    <message>
        <source>hörbar</source>
        <translation>audible</translation>
    </message>
    <message>
        <source>Der Ton ist zu hören; weiter mit dem nächsten Band.</source>
        <translation>The tone can be heard; go on to the next band.</translation>
    </message>
    <message>
        <source>Pegelreferenz</source>
        <translation>Level reference</translation>
    </message>
    <message>
        <source>Abbrechen</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Den Hörtest ohne Ergebnis beenden.</source>
        <translation>End the listening check without a result.</translation>
    </message>
    <message>
        <source>Übernehmen</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>Lowcut und Highcut auf den Vorschlag setzen.</source>
        <translation>Set Lowcut and Highcut as suggested.</translation>
    </message>
    <message>
        <source>Schließen</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Lowcut und Highcut bleiben, wie sie sind.</source>
        <translation>Lowcut and Highcut stay as they are.</translation>
    </message>
    <message>
        <source>Band %1 von %2: %3, %4 dBFS</source>
        <translation>Band %1 of %2: %3, %4 dBFS</translation>
    </message>
    <message>
        <source>Pegelreferenz: Rosa Rauschen</source>
        <translation>Level reference: pink noise</translation>
    </message>
    <message>
        <source>Mit dieser Wiedergabe sind alle %1 Bänder hörbar.</source>
        <translation>With this playback set-up all %1 bands are audible.</translation>
    </message>
    <message>
        <source>Mit dieser Wiedergabe nicht hörbar: %1.</source>
        <translation>Not audible with this playback set-up: %1.</translation>
    </message>
    <message>
        <source>Vorschlag im Menü „Einstellung“: Lowcut %1, Highcut %2.</source>
        <translation>Suggestion in the “Settings” menu: Lowcut %1, Highcut %2.</translation>
    </message>
    <message>
        <source>Kein Paar aus Lowcut und Highcut lässt alle diese Bänder aus dem Spiel.</source>
        <translation>No pair of Lowcut and Highcut leaves all of these bands out of play.</translation>
    </message>
    <message>
        <source>%1
Der Hörtest wurde abgebrochen.</source>
        <translation>%1
The listening check was stopped.</translation>
    </message>
</context>
<context>
    <name>HelpWindow</name>
    <message>
        <source>Heulmeister Pro - Anleitung</source>
        <translation>Heulmeister Pro - Manual</translation>
    </message>
    <message>
        <source>Anleitung</source>
        <translation>Manual</translation>
    </message>
    <message>
        <source>Die Anleitung wurde nicht gefunden:
%1</source>
        <translation>The manual was not found:
%1</translation>
    </message>
    <message>
        <source>Heulmeister.html</source>
        <comment>the manual&apos;s file in this language</comment>
        <translation>Heulmeister_en.html</translation>
    </message>
</context>
<context>
    <name>JackMidiPorts</name>
    <message>
        <source>Kein JACK-Server läuft.</source>
        <translation>No JACK server is running.</translation>
    </message>
    <message>
        <source>Der JACK-Server nimmt keine MIDI-Ports an.</source>
        <translation>The JACK server does not accept MIDI ports.</translation>
    </message>
</context>
<context>
    <name>Journal</name>
    <message>
        <source>Der Datenträger ist voll.</source>
        <translation>The disk is full.</translation>
    </message>
    <message>
        <source>Die Datei oder ihr Ordner ist schreibgeschützt.</source>
        <translation>The file or its folder is read-only.</translation>
    </message>
    <message>
        <source>Der Zugriff auf die Datei wurde verweigert.</source>
        <translation>Access to the file was denied.</translation>
    </message>
    <message>
        <source>Die Datei kann nicht geöffnet oder angelegt werden (fehlt die Schreibberechtigung für den Ordner?).</source>
        <translation>The file cannot be opened or created (is write permission for the folder missing?).</translation>
    </message>
    <message>
        <source>Die Datei ist keine lesbare Datenbank.</source>
        <translation>The file is not a readable database.</translation>
    </message>
    <message>
        <source>Beim Lesen oder Schreiben der Datei ist ein Fehler aufgetreten.</source>
        <translation>An error occurred while reading or writing the file.</translation>
    </message>
    <message>
        <source>Die Datei ist von einem anderen Programm gesperrt.</source>
        <translation>The file is locked by another program.</translation>
    </message>
    <message>
        <source>Die Datenbank meldet einen Fehler.</source>
        <translation>The database reports an error.</translation>
    </message>
    <message>
        <source>Trainingsjournal</source>
        <translation>Training journal</translation>
    </message>
    <message>
        <source>Die Datei „%1“ ist beschädigt.
Sie wurde unverändert nach „%2“ verschoben; ein neues Trainingsjournal wurde angelegt.</source>
        <translation>The file “%1” is damaged.
It was moved unchanged to “%2”; a new training journal was created.</translation>
    </message>
    <message>
        <source>Die Datei „%1“ ist keine lesbare Datenbank.
Sie wurde unverändert nach „%2“ verschoben; ein neues Trainingsjournal wurde angelegt.</source>
        <translation>The file “%1” is not a readable database.
It was moved unchanged to “%2”; a new training journal was created.</translation>
    </message>
    <message numerus="yes">
        <source>
%n Runden ließen sich noch lesen und wurden in das neue Journal übernommen.</source>
        <translation>
            <numerusform>
%n round could still be read and was copied into the new journal.</numerusform>
            <numerusform>
%n rounds could still be read and were copied into the new journal.</numerusform>
        </translation>
    </message>
    <message>
        <source>Der Ordner „%1“ kann nicht angelegt werden.</source>
        <translation>The folder “%1” cannot be created.</translation>
    </message>
    <message>
        <source>Der SQLite-Treiber von Qt fehlt (Paket libqt6sql6-sqlite).</source>
        <translation>Qt&apos;s SQLite driver is missing (package libqt6sql6-sqlite).</translation>
    </message>
    <message>
        <source>Das Journal stammt von einer neueren Version von Heulmeister Pro (Schemaversion %1; dieses Programm kennt Version %2).</source>
        <translation>The journal comes from a newer version of Heulmeister Pro (schema version %1; this program knows version %2).</translation>
    </message>
    <message>
        <source>Der Tabelle „turns“ fehlen Spalten (%1).</source>
        <translation>The table “turns” lacks columns (%1).</translation>
    </message>
    <message>
        <source>Die Datei ist beschädigt (SQLite: %1).</source>
        <translation>The file is damaged (SQLite: %1).</translation>
    </message>
    <message>
        <source>Die Datei ist keine lesbare Datenbank und kann nicht beiseitegelegt werden: %1</source>
        <translation>The file is not a readable database and cannot be moved aside: %1</translation>
    </message>
    <message>
        <source>Die Datei ist keine lesbare Datenbank; „%1“ kann nicht beiseitegelegt werden: %2</source>
        <translation>The file is not a readable database; “%1” cannot be moved aside: %2</translation>
    </message>
    <message>
        <source>Im Ordner „%1“ kann keine Datei angelegt werden (%2).</source>
        <translation>No file can be created in the folder “%1” (%2).</translation>
    </message>
    <message>
        <source>Das Trainingsjournal ist bis zum Programmende ausgeschaltet.

Datei: %1
Grund: %2

Das Spiel läuft weiter; die Runden werden bis dahin nicht aufgezeichnet.</source>
        <translation>The training journal is switched off until the program ends.

File: %1
Reason: %2

The game goes on; until then, the rounds are not recorded.</translation>
    </message>
</context>
<context>
    <name>JournalExport</name>
    <message>
        <source>Trainingsjournal exportieren</source>
        <translation>Export training journal</translation>
    </message>
    <message>
        <source>Datei existiert bereits</source>
        <translation>File already exists</translation>
    </message>
    <message>
        <source>Die Datei „%1“ existiert bereits.
Sie enthält einen früheren Export des Trainingsjournals.
Wollen Sie sie ersetzen?</source>
        <translation>The file “%1” already exists.
It holds an earlier export of the training journal.
Do you want to replace it?</translation>
    </message>
    <message>
        <source>Die Datei „%1“ existiert bereits.
Sie ist kein Export des Trainingsjournals; ihr Inhalt geht verloren, falls Sie sie ersetzen.
Wollen Sie sie dennoch ersetzen?</source>
        <translation>The file “%1” already exists.
It is not an export of the training journal; its contents will be lost if you replace it.
Do you still want to replace it?</translation>
    </message>
    <message>
        <source>Das Trainingsjournal ist ausgeschaltet und kann nicht exportiert werden.
Grund: %1</source>
        <translation>The training journal is switched off and cannot be exported.
Reason: %1</translation>
    </message>
    <message>
        <source>CSV-Dateien|*.csv|Tabellenkalkulation (;)|*.csv|Alle Dateien|*.*</source>
        <extracomment>Name|pattern pairs: the patterns and the order of the pairs stay as they are.</extracomment>
        <translation>CSV files|*.csv|Spreadsheet (;)|*.csv|All files|*.*</translation>
    </message>
    <message>
        <source>In die Datei „%1“ kann nicht exportiert werden: %2
Bitte wählen Sie eine gewöhnliche Datei.</source>
        <translation>Cannot export to the file “%1”: %2
Please choose a regular file.</translation>
    </message>
    <message>
        <source>Eine Runde wurde in die Datei „%1“ exportiert.</source>
        <translation>One round was exported to the file “%1”.</translation>
    </message>
    <message>
        <source>%1 Runden wurden in die Datei „%2“ exportiert.</source>
        <translation>%1 rounds were exported to the file “%2”.</translation>
    </message>
    <message>
        <source>Die Datei „%1“ konnte nicht geschrieben werden:
%2
Eine vorhandene Datei bleibt unverändert.</source>
        <translation>The file “%1” could not be written:
%2
An existing file stays unchanged.</translation>
    </message>
    <message>
        <source>Das Trainingsjournal wird exportiert ...</source>
        <translation>Exporting the training journal ...</translation>
    </message>
</context>
<context>
    <name>LearningCurveView</name>
    <message>
        <source>Lernkurve</source>
        <translation>Learning curve</translation>
    </message>
    <message>
        <source>Je Tag: der Anteil der gefundenen Runden, die beim ersten Versuch gefunden wurden; der Anteil der Runden, deren erster Versuch das klingende Band oder eines seiner beiden Nachbarn traf; der Median der Fundzeit. Die Tabelle zeigt dasselbe je Band über seine letzten %1 Runden.</source>
        <translation>Per day: the share of found rounds that were found at the first attempt; the share of rounds whose first attempt hit the ringing band or one of its two neighbours; the median find time. The table shows the same per band over its last %1 rounds.</translation>
    </message>
    <message>
        <source>Das Trainingsjournal wird gelesen ...</source>
        <translation>Reading the training journal ...</translation>
    </message>
    <message>
        <source>Band</source>
        <translation>Band</translation>
    </message>
    <message>
        <source>Runden</source>
        <translation>Rounds</translation>
    </message>
    <message>
        <source>Gefunden</source>
        <translation>Found</translation>
    </message>
    <message>
        <source>Beim 1. Versuch gefunden</source>
        <translation>Found at the 1st attempt</translation>
    </message>
    <message>
        <source>1. Versuch auf dem Band oder daneben</source>
        <translation>1st attempt on the band or next to it</translation>
    </message>
    <message>
        <source>Median der Fundzeit</source>
        <translation>Median find time</translation>
    </message>
    <message>
        <source>Gewicht beim Üben</source>
        <translation>Weight in practice</translation>
    </message>
    <message>
        <source>Mit „Schwache Bänder üben“ klingt ein Band mit doppeltem Gewicht doppelt so oft, jedes aber mindestens halb so oft wie ohne die Option.</source>
        <translation>With “Practice weak bands”, a band with double the weight rings twice as often, but every band at least half as often as without the option.</translation>
    </message>
    <message>
        <source>Im Trainingsjournal ist noch keine Runde aufgezeichnet. Jede beendete Runde landet dort; nach den ersten Runden zeigt dieses Fenster Ihre Lernkurve.</source>
        <translation>No round has been recorded in the training journal yet. Every finished round goes there; after the first rounds this window shows your learning curve.</translation>
    </message>
    <message>
        <source>Die Grafik kann nicht gezeigt werden. %1</source>
        <translation>The graph cannot be shown. %1</translation>
    </message>
    <message>
        <source>Das Trainingsjournal ist ausgeschaltet: %1</source>
        <translation>The training journal is switched off: %1</translation>
    </message>
</context>
<context>
    <name>MainForm</name>
    <message>
        <source>Vorsicht!!!</source>
        <translation>Caution!!!</translation>
    </message>
    <message>
        <source>Achtung! Das Programm erzeugt Signale, die Lautsprecher oder
das Gehör bei unsachgemässer Verwendung schädigen können.
Beginnen sie immer mit minimaler Lautstärke.
Es wird keine Haftung für Schäden übernommen.</source>
        <translation>Warning! This program produces signals that can damage loudspeakers
or hearing if used improperly.
Always start at minimum volume.
No liability is accepted for any damage.</translation>
    </message>
    <message>
        <source>Einstellungen</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Die Einstellungen konnten nicht gespeichert werden:
%1</source>
        <translation>The settings could not be saved:
%1</translation>
    </message>
    <message>
        <source>Hörtest</source>
        <translation>Listening check</translation>
    </message>
    <message>
        <source>Der Hörtest braucht die Soundkarte für sich. Beenden Sie zuerst die laufende Runde mit START.</source>
        <translation>The listening check needs the sound card to itself. First end the running round with START.</translation>
    </message>
</context>
<context>
    <name>MainMenu</name>
    <message>
        <source>Datei</source>
        <translation>File</translation>
    </message>
    <message>
        <source>Laden</source>
        <translation>Load</translation>
    </message>
    <message>
        <source>Speichern</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Speichern unter</source>
        <translation>Save as</translation>
    </message>
    <message>
        <source>Beenden</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>Spielablauf</source>
        <translation>Game</translation>
    </message>
    <message>
        <source>Feedback Zeit</source>
        <translation>Feedback time</translation>
    </message>
    <message>
        <source>0.5 Sekunden</source>
        <translation>0.5 seconds</translation>
    </message>
    <message>
        <source>1 Sekunden</source>
        <translation>1 second</translation>
    </message>
    <message>
        <source>2 Sekunden</source>
        <translation>2 seconds</translation>
    </message>
    <message>
        <source>3 Sekunden</source>
        <translation>3 seconds</translation>
    </message>
    <message>
        <source>4 Sekunden</source>
        <translation>4 seconds</translation>
    </message>
    <message>
        <source>5 Sekunden</source>
        <translation>5 seconds</translation>
    </message>
    <message>
        <source>Kontinuierlich</source>
        <translation>Continuous</translation>
    </message>
    <message>
        <source>Zufallsstart</source>
        <translation>Random start</translation>
    </message>
    <message>
        <source>Aus</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>2 sek</source>
        <translation>2 s</translation>
    </message>
    <message>
        <source>4 sek</source>
        <translation>4 s</translation>
    </message>
    <message>
        <source>6 sek </source>
        <translation>6 s </translation>
    </message>
    <message>
        <source>10 sek</source>
        <translation>10 s</translation>
    </message>
    <message>
        <source>20 sek</source>
        <translation>20 s</translation>
    </message>
    <message>
        <source>Automatischer Neustart</source>
        <translation>Automatic restart</translation>
    </message>
    <message>
        <source>Nach 1 Sekunde</source>
        <translation>After 1 second</translation>
    </message>
    <message>
        <source>Nach 2 Sekunden</source>
        <translation>After 2 seconds</translation>
    </message>
    <message>
        <source>Nach 3 Sekunden</source>
        <translation>After 3 seconds</translation>
    </message>
    <message>
        <source>Nach 5 Sekunden</source>
        <translation>After 5 seconds</translation>
    </message>
    <message>
        <source>Feedbackgenerator</source>
        <translation>Feedback generator</translation>
    </message>
    <message>
        <source>Einstellung</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Lowcut</source>
        <translation>Lowcut</translation>
    </message>
    <message>
        <source>31.5 Hz</source>
        <translation>31.5 Hz</translation>
    </message>
    <message>
        <source>40 Hz</source>
        <translation>40 Hz</translation>
    </message>
    <message>
        <source>50 Hz</source>
        <translation>50 Hz</translation>
    </message>
    <message>
        <source>62.5 Hz</source>
        <translation>62.5 Hz</translation>
    </message>
    <message>
        <source>80 Hz</source>
        <translation>80 Hz</translation>
    </message>
    <message>
        <source>100 Hz</source>
        <translation>100 Hz</translation>
    </message>
    <message>
        <source>125 Hz</source>
        <translation>125 Hz</translation>
    </message>
    <message>
        <source>160 Hz</source>
        <translation>160 Hz</translation>
    </message>
    <message>
        <source>200 Hz</source>
        <translation>200 Hz</translation>
    </message>
    <message>
        <source>250 Hz</source>
        <translation>250 Hz</translation>
    </message>
    <message>
        <source>315 Hz</source>
        <translation>315 Hz</translation>
    </message>
    <message>
        <source>400 Hz</source>
        <translation>400 Hz</translation>
    </message>
    <message>
        <source>Highcut</source>
        <translation>Highcut</translation>
    </message>
    <message>
        <source>6.25 kHz</source>
        <translation>6.25 kHz</translation>
    </message>
    <message>
        <source>8 kHz</source>
        <translation>8 kHz</translation>
    </message>
    <message>
        <source>10 kHz</source>
        <translation>10 kHz</translation>
    </message>
    <message>
        <source>12.5 kHz</source>
        <translation>12.5 kHz</translation>
    </message>
    <message>
        <source>16 kHz</source>
        <translation>16 kHz</translation>
    </message>
    <message>
        <source>Reglerwertung</source>
        <translation>Fader scoring</translation>
    </message>
    <message>
        <source>Anwahl</source>
        <translation>Selection</translation>
    </message>
    <message>
        <source>Anwahl und Absenkung</source>
        <translation>Selection and cut</translation>
    </message>
    <message>
        <source>Soundkarte</source>
        <translation>Sound card</translation>
    </message>
    <message>
        <source>Auswertung</source>
        <translation>Evaluation</translation>
    </message>
    <message>
        <source>Aktuell</source>
        <translation>Current</translation>
    </message>
    <message>
        <source>Versuche</source>
        <translation>Attempts</translation>
    </message>
    <message>
        <source>Zeit</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>Total</source>
        <translation>Total</translation>
    </message>
    <message>
        <source>Fortschritt</source>
        <translation>Progress</translation>
    </message>
    <message>
        <source>Hilfe</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>Über Heulmeister</source>
        <translation>About Heulmeister</translation>
    </message>
    <message>
        <source>Anleitung</source>
        <translation>Manual</translation>
    </message>
</context>
<context>
    <name>MidiDialog</name>
    <message>
        <source>Nur „%1“ (mit dem Patchbay verbinden)</source>
        <translation>Only “%1” (connect it in the patchbay)</translation>
    </message>
    <message>
        <source>MIDI-Regler</source>
        <translation>MIDI controller</translation>
    </message>
    <message>
        <source>Allgemein (CC)</source>
        <translation>Generic (CC)</translation>
    </message>
    <message>
        <source>Gelernt</source>
        <translation>Learned</translation>
    </message>
    <message>
        <source>Lernen</source>
        <translation>Learn</translation>
    </message>
    <message>
        <source>Einen Regler auf dem Bildschirm anwählen, dann einen Regler am Pult bewegen.</source>
        <translation>Select a fader on the screen, then move a fader on the console.</translation>
    </message>
    <message>
        <source>Eingang:</source>
        <translation>Input:</translation>
    </message>
    <message>
        <source>Rückmeldung:</source>
        <translation>Output:</translation>
    </message>
    <message>
        <source>Zuordnung:</source>
        <translation>Mapping:</translation>
    </message>
    <message>
        <source>Empfangen:</source>
        <translation>Received:</translation>
    </message>
    <message>
        <source>MIDI über %1: Eingang und Rückmeldung „%2“ sind offen.</source>
        <translation>MIDI via %1: input and output “%2” are open.</translation>
    </message>
    <message>
        <source>Der JACK-Server läuft nicht mehr: Eingang und Rückmeldung sind geschlossen. Sobald wieder ein JACK-Server läuft, öffnen sie sich von selbst.</source>
        <translation>The JACK server is no longer running: input and output are closed. As soon as a JACK server is running again, they open by themselves.</translation>
    </message>
    <message>
        <source>„%1“ dazu</source>
        <translation>Plus “%1”</translation>
    </message>
    <message>
        <source>Einstellungen</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Die MIDI-Einstellungen konnten nicht gespeichert werden:
%1</source>
        <translation>The MIDI settings could not be saved:
%1</translation>
    </message>
</context>
<context>
    <name>MidiMapping</name>
    <message>
        <source>Note %1 Kanal 1</source>
        <translation>Note %1 channel 1</translation>
    </message>
    <message>
        <source>Pitch Bend Kanal %1 = %2</source>
        <translation>Pitch bend channel %1 = %2</translation>
    </message>
    <message>
        <source>CC %1 Kanal %2 = %3</source>
        <translation>CC %1 channel %2 = %3</translation>
    </message>
</context>
<context>
    <name>MidiPorts</name>
    <message>
        <source>MIDI kann nicht starten: Das System gibt keinen Dateideskriptor mehr frei.</source>
        <translation>MIDI cannot start: the system has no file descriptor left to give.</translation>
    </message>
    <message>
        <source>Kein MIDI-System gefunden: weder der ALSA-Sequencer (/dev/snd/seq) noch ein laufender JACK-Server antwortet. Die Regler bleiben mit Maus und Tastatur bedienbar; starten Sie JACK oder laden Sie das Modul snd-seq und öffnen Sie diesen Dialog erneut.</source>
        <translation>No MIDI system found: neither the ALSA sequencer (/dev/snd/seq) nor a running JACK server answers. The faders can still be worked with the mouse and the keyboard; start JACK or load the module snd-seq, then open this dialog again.</translation>
    </message>
    <message>
        <source>ALSA-Sequencer</source>
        <translation>ALSA sequencer</translation>
    </message>
    <message>
        <source>Der MIDI-Eingang „%1“ lässt sich nicht öffnen.</source>
        <translation>The MIDI input “%1” cannot be opened.</translation>
    </message>
    <message>
        <source>Der MIDI-Ausgang „%1“ lässt sich nicht öffnen.</source>
        <translation>The MIDI output “%1” cannot be opened.</translation>
    </message>
</context>
<context>
    <name>MusicBedDecoder</name>
    <message>
        <source>Das Dateiformat ist unbekannt.</source>
        <translation>The file format is unknown.</translation>
    </message>
    <message>
        <source>Die Datei ist beschädigt.</source>
        <translation>The file is damaged.</translation>
    </message>
    <message>
        <source>Die Kodierung der Datei wird nicht unterstützt.</source>
        <translation>The file&apos;s encoding is not supported.</translation>
    </message>
    <message>
        <source>Die Datei kann nicht gelesen werden.</source>
        <translation>The file cannot be read.</translation>
    </message>
    <message>
        <source>Die Datei kann nicht geöffnet werden.</source>
        <translation>The file cannot be opened.</translation>
    </message>
    <message>
        <source>Die Umrechnung auf 48 kHz ist fehlgeschlagen.</source>
        <translation>The conversion to 48 kHz failed.</translation>
    </message>
    <message>
        <source>Die Datei ist nicht vorhanden.</source>
        <translation>The file does not exist.</translation>
    </message>
    <message>
        <source>Das ist ein Ordner, keine Datei.</source>
        <translation>This is a folder, not a file.</translation>
    </message>
    <message>
        <source>Die Datei darf nicht gelesen werden.</source>
        <translation>You have no permission to read the file.</translation>
    </message>
    <message>
        <source>Die Datei nennt keine gültige Abtastrate.</source>
        <translation>The file does not state a valid sample rate.</translation>
    </message>
    <message>
        <source>Die Datei ist nach %1 Sekunden nicht mehr lesbar.</source>
        <translation>The file cannot be read beyond %1 seconds.</translation>
    </message>
    <message>
        <source>Die Datei enthält weniger als eine Sekunde Ton.</source>
        <translation>The file holds less than one second of sound.</translation>
    </message>
    <message>
        <source>Die Datei enthält nur Stille.</source>
        <translation>The file holds nothing but silence.</translation>
    </message>
    <message>
        <source>Der Arbeitsspeicher reicht dafür nicht aus.</source>
        <translation>There is not enough memory for it.</translation>
    </message>
</context>
<context>
    <name>PortAudioWaveOut</name>
    <message>
        <source>Das Ausgabegerät gibt es nicht.</source>
        <translation>The output device does not exist.</translation>
    </message>
    <message>
        <source>Das Ausgabegerät ist nicht verfügbar.</source>
        <translation>The output device is not available.</translation>
    </message>
    <message>
        <source>Das Audiosystem meldet einen unerwarteten Fehler.</source>
        <translation>The audio system reports an unexpected error.</translation>
    </message>
    <message>
        <source>Nicht genug Speicher für die Tonausgabe.</source>
        <translation>Not enough memory for the sound output.</translation>
    </message>
    <message>
        <source>Das Ausgabegerät kann dieses Tonformat nicht abspielen.</source>
        <translation>The output device cannot play this sound format.</translation>
    </message>
    <message>
        <source>Fehler der Tonausgabe.</source>
        <translation>Sound output error.</translation>
    </message>
    <message>
        <source>%1 (PortAudio: %2)</source>
        <translation>%1 (PortAudio: %2)</translation>
    </message>
    <message>
        <source>Der Befehl wurde ausgeführt.</source>
        <translation>The command was carried out.</translation>
    </message>
    <message>
        <source>Nicht näher bezeichneter Fehler der Tonausgabe.</source>
        <translation>Unspecified sound output error.</translation>
    </message>
    <message>
        <source>Die Gerätenummer liegt außerhalb des gültigen Bereichs.</source>
        <translation>The device number is out of range.</translation>
    </message>
    <message>
        <source>Das Ausgabegerät ist nicht geöffnet.</source>
        <translation>The output device is not open.</translation>
    </message>
    <message>
        <source>Es ist kein Ausgabegerät vorhanden.</source>
        <translation>There is no output device.</translation>
    </message>
    <message>
        <source>Nicht genug Speicher, oder zu viele Blöcke in der Warteschlange.</source>
        <translation>Not enough memory, or too many blocks in the queue.</translation>
    </message>
    <message>
        <source>Dem Ausgabegerät wurde ein ungültiger Wert übergeben.</source>
        <translation>The output device was given an invalid value.</translation>
    </message>
    <message>
        <source>Es sind noch Blöcke in der Warteschlange.</source>
        <translation>There are still blocks in the queue.</translation>
    </message>
    <message>
        <source>Der Block wurde nicht vorbereitet.</source>
        <translation>The block was not prepared.</translation>
    </message>
    <message>
        <source>Unbekannter Fehler der Tonausgabe (%1).</source>
        <translation>Unknown sound output error (%1).</translation>
    </message>
</context>
<context>
    <name>PracticeSetRunner</name>
    <message>
        <source>Übungssatz</source>
        <translation>Practice set</translation>
    </message>
    <message>
        <source>Ein Übungssatz besteht aus zehn Runden mit dem Ton. Schalten Sie dafür „Bühne“ und den Feedbackgenerator aus.</source>
        <translation>A practice set is ten rounds with the tone. For it, switch off “Stage” and the feedback generator.</translation>
    </message>
    <message>
        <source>%1 von 100 Punkten.</source>
        <translation>%1 of 100 points.</translation>
    </message>
    <message>
        <source>%1 von %2 Runden beim ersten Versuch gefunden, %3 knapp daneben; mittlere Fundzeit %4 s.</source>
        <translation>%1 of %2 rounds found at the first attempt, %3 narrowly missed; median find time %4 s.</translation>
    </message>
    <message>
        <source>Ihr bester Satz: %1 Punkte.</source>
        <translation>Your best set: %1 points.</translation>
    </message>
    <message>
        <source>Die letzten Sätze (neuester zuerst): %1</source>
        <translation>The last sets (newest first): %1</translation>
    </message>
    <message>
        <source>Frühere Sätze sind nicht bekannt: das Trainingsjournal ist aus.</source>
        <translation>Earlier sets are not known: the training journal is off.</translation>
    </message>
</context>
<context>
    <name>ProfileFile</name>
    <message>
        <source>%1
Datei: %2</source>
        <translation>%1
File: %2</translation>
    </message>
</context>
<context>
    <name>QPlatformTheme</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>&amp;Yes</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>&amp;No</source>
        <translation>&amp;No</translation>
    </message>
</context>
<context>
    <name>RegularFile</name>
    <message>
        <source>Das ist keine gewöhnliche Datei, sondern %1.</source>
        <translation>This is not a regular file but %1.</translation>
    </message>
</context>
<context>
    <name>ResultsCommands</name>
    <message>
        <source>Heulmeister Daten|*.HMD</source>
        <extracomment>Name|pattern: the pattern after &quot;|&quot; stays as it is.</extracomment>
        <translation>Heulmeister data|*.HMD</translation>
    </message>
    <message>
        <source>Heulmeisterdaten|*.HMD</source>
        <extracomment>Name|pattern: the pattern after &quot;|&quot; stays as it is.</extracomment>
        <translation>Heulmeister data|*.HMD</translation>
    </message>
    <message>
        <source>Datei existiert bereits</source>
        <translation>File already exists</translation>
    </message>
    <message>
        <source>Es existiert bereits eine Datei gleichen Namens,
deren Daten jedoch noch nicht geladen sind.
Falls sie jetzt speichern, gehen diese Daten verloren.
Wollen sie dennoch speichern?</source>
        <translation>A file of the same name already exists,
but its data have not been loaded yet.
If you save now, these data will be lost.
Do you still want to save?</translation>
    </message>
    <message>
        <source>Die Datei &quot;%1&quot; existiert bereits.
Falls sie jetzt speichern, gehen die darin gespeicherten Ergebnisse verloren.
Wollen sie dennoch speichern?</source>
        <translation>The file &quot;%1&quot; already exists.
If you save now, the results stored in it will be lost.
Do you still want to save?</translation>
    </message>
    <message>
        <source>Die Ergebnisdatei wurde inzwischen von einem anderen Programm geändert. Trotzdem speichern?</source>
        <translation>The results file has been changed by another program in the meantime. Save anyway?</translation>
    </message>
    <message>
        <source>Öffnen</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>Speichern unter</source>
        <translation>Save as</translation>
    </message>
</context>
<context>
    <name>ResultsFile</name>
    <message>
        <source>File not found.</source>
        <translation>File not found.</translation>
    </message>
    <message>
        <source>Invalid filename.</source>
        <translation>Invalid filename.</translation>
    </message>
    <message>
        <source>Too many open files.</source>
        <translation>Too many open files.</translation>
    </message>
    <message>
        <source>File access denied.</source>
        <translation>File access denied.</translation>
    </message>
    <message>
        <source>Disk full.</source>
        <translation>Disk full.</translation>
    </message>
    <message>
        <source>I/O error %1.</source>
        <translation>I/O error %1.</translation>
    </message>
    <message>
        <source>Die Datei „%1“ kann nicht geladen werden.
%2</source>
        <translation>The file “%1” cannot be loaded.
%2</translation>
    </message>
    <message>
        <source>Read beyond end of file.</source>
        <translation>Read beyond end of file.</translation>
    </message>
</context>
<context>
    <name>SettingsFile</name>
    <message>
        <source>Der Ordner %1 kann nicht angelegt werden.</source>
        <translation>The folder %1 cannot be created.</translation>
    </message>
</context>
<context>
    <name>SharedLibrary</name>
    <message>
        <source>libsndfile1 und libsamplerate0</source>
        <translation>libsndfile1 and libsamplerate0</translation>
    </message>
    <message>
        <source>Die Bibliothek %1 ist zu alt: ihr fehlt %2 (Paket %3).</source>
        <translation>The library %1 is too old: it lacks %2 (package %3).</translation>
    </message>
    <message>
        <source>Die Bibliothek %1 fehlt (Paket %2). (System: %3)</source>
        <translation>The library %1 is missing (package %2). (System: %3)</translation>
    </message>
</context>
<context>
    <name>SoundCardDialog</name>
    <message>
        <source>Soundkarte</source>
        <translation>Sound card</translation>
    </message>
    <message>
        <source>Abbrechen</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>StageFlow</name>
    <message>
        <source>Die Bühne ließ sich nicht aufbauen: %1</source>
        <translation>The stage could not be built: %1</translation>
    </message>
    <message>
        <source>Bühne wird aufgebaut ...</source>
        <translation>Building the stage ...</translation>
    </message>
    <message>
        <source>Mit START brechen Sie den Aufbau ab.</source>
        <translation>START cancels the building.</translation>
    </message>
    <message>
        <source>Bühne: Rückkopplung bei ... suchen</source>
        <translation>Stage: find the howl at ...</translation>
    </message>
    <message>
        <source>Rückkopplung %1 von %2</source>
        <translation>Howl %1 of %2</translation>
    </message>
    <message>
        <source> – </source>
        <translation> – </translation>
    </message>
    <message>
        <source>Sie klingt noch: Der Schnitt hat sie nur gebremst.</source>
        <translation>It is still ringing: the cut only slowed it down.</translation>
    </message>
    <message>
        <source>Einpegeln: Die Verstärkung steigt alle 2 s um 0,5 bis 1 dB.</source>
        <translation>Ringing out: the gain rises by 0.5 to 1 dB every 2 s.</translation>
    </message>
    <message>
        <source>Daneben: Band %1 hat die Rückkopplung bei %2 gestoppt.</source>
        <translation>Missed: band %1 stopped the howl at %2.</translation>
    </message>
    <message>
        <source>Bühne vorbei: %1 von %2 Rückkopplungen gestoppt</source>
        <translation>Stage over: %1 of %2 howls stopped</translation>
    </message>
    <message>
        <source> (Automatik: %1 dB)</source>
        <translation> (automatic: %1 dB)</translation>
    </message>
    <message>
        <source>Die nächste Rückkopplung läge außerhalb der Bänder im Spiel.</source>
        <translation>The next howl would lie outside the bands in play.</translation>
    </message>
    <message>
        <source>START beginnt eine neue Bühne.</source>
        <translation>START begins a new stage.</translation>
    </message>
</context>
<context>
    <name>StageResponseView</name>
    <message>
        <source>Bühne: Frequenzgang</source>
        <translation>Stage: frequency response</translation>
    </message>
    <message>
        <source>Noch keine Bühne gespielt. Schalten Sie „Training“ &gt; „Bühne“ ein und klicken Sie START.</source>
        <translation>No stage played yet. Switch on “Training” &gt; “Stage” and click START.</translation>
    </message>
    <message>
        <source>Die Schleifenverstärkung der letzten Bühne: Wo sie über 0 dB steigt, heult es. Darunter der Equalizer, wie Sie ihn gestellt haben.</source>
        <translation>The loop gain of the last stage: where it rises above 0 dB, it howls. Below it, the equalizer as you set it.</translation>
    </message>
    <message>
        <source>Die Grafik kann nicht gezeigt werden. %1</source>
        <translation>The graph cannot be shown. %1</translation>
    </message>
</context>
<context>
    <name>StageStream</name>
    <message>
        <source>Die Tonausgabe der Bühne lässt sich nicht öffnen: %1</source>
        <translation>The stage&apos;s sound output cannot be opened: %1</translation>
    </message>
    <message>
        <source>Keine Tonausgabe gefunden: Die Bühne braucht eine Soundkarte.</source>
        <translation>No sound output found: the stage needs a sound card.</translation>
    </message>
</context>
<context>
    <name>StageTurn</name>
    <message>
        <source>Für die Bänder im Spiel ließ sich keine Bühne finden, die dort rückkoppelt. Bitte den Filterbereich erweitern.</source>
        <translation>No stage could be found that howls in the bands in play. Please widen the filter range.</translation>
    </message>
    <message>
        <source>Kugel</source>
        <translation>Omni</translation>
    </message>
    <message>
        <source>Niere</source>
        <translation>Cardioid</translation>
    </message>
    <message>
        <source>Superniere</source>
        <translation>Supercardioid</translation>
    </message>
    <message>
        <source>Hyperniere</source>
        <translation>Hypercardioid</translation>
    </message>
    <message>
        <source>Gesang</source>
        <translation>Vocals</translation>
    </message>
    <message>
        <source>Chor</source>
        <translation>Choir</translation>
    </message>
    <message>
        <source>Gitarre</source>
        <translation>Guitar</translation>
    </message>
    <message>
        <source>Monitor %1 m bei %2°</source>
        <translation>Monitor %1 m at %2°</translation>
    </message>
    <message>
        <source>%1: %2, %3</source>
        <translation>%1: %2, %3</translation>
    </message>
    <message>
        <source>, </source>
        <translation>, </translation>
    </message>
    <message>
        <source>; Raum %1 s</source>
        <translation>; room %1 s</translation>
    </message>
    <message>
        <source>; </source>
        <translation>; </translation>
    </message>
    <message>
        <source>%1 vor Rückkopplung, %2 Schnitt, zusammen %3</source>
        <translation>%1 before feedback, %2 cut, %3 in total</translation>
    </message>
    <message>
        <source>%1 vor Rückkopplung, %2 Schnitte, zusammen %3</source>
        <translation>%1 before feedback, %2 cuts, %3 in total</translation>
    </message>
</context>
<context>
    <name>StageTurnKind</name>
    <message>
        <source>Bühne</source>
        <translation>Stage</translation>
    </message>
</context>
<context>
    <name>StatusLines</name>
    <message>
        <source>Aktuell: %1 Zeit:%2s.</source>
        <translation>Current: %1 Time:%2s.</translation>
    </message>
    <message>
        <source>  Total: %1 OK:%2 Zeit:%3s.</source>
        <translation>  Total: %1 OK:%2 Time:%3s.</translation>
    </message>
    <message>
        <source>Schnitt: %1 Zeit:%2s.</source>
        <translation>Average: %1 Time:%2s.</translation>
    </message>
    <message>
        <source>Neues Spiel</source>
        <translation>New game</translation>
    </message>
    <message>
        <source>Feedbackgenerator</source>
        <translation>Feedback generator</translation>
    </message>
    <message>
        <source>Auswertung Aktuell Versuche</source>
        <translation>Evaluation: current attempts</translation>
    </message>
    <message>
        <source>Auswertung Aktuell Zeit</source>
        <translation>Evaluation: current times</translation>
    </message>
    <message>
        <source>Auswertung aller Versuche</source>
        <translation>Evaluation: all attempts</translation>
    </message>
    <message>
        <source>Gespeichert und aktuell</source>
        <translation>Saved and current</translation>
    </message>
    <message>
        <source>Auswertung aller Zeiten</source>
        <translation>Evaluation: all times</translation>
    </message>
    <message>
        <source>Vergleich Versuche</source>
        <translation>Comparison: attempts</translation>
    </message>
    <message>
        <source>Gespeichert mit aktuell</source>
        <translation>Saved against current</translation>
    </message>
    <message>
        <source>Auswertung Zeiten</source>
        <translation>Evaluation: times</translation>
    </message>
    <message>
        <source>Klicke START, um eine Runde zu beginnen.</source>
        <translation>Click START to begin a round.</translation>
    </message>
</context>
<context>
    <name>StatusPanel</name>
    <message>
        <source>START</source>
        <translation>START</translation>
    </message>
    <message>
        <source>NEUES SPIEL</source>
        <translation>NEW GAME</translation>
    </message>
</context>
<context>
    <name>ToneOutput</name>
    <message>
        <source>Open</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>Unprepare 1</source>
        <translation>Unprepare 1</translation>
    </message>
    <message>
        <source>Prepare 1</source>
        <translation>Prepare 1</translation>
    </message>
    <message>
        <source>Unprepare 2</source>
        <translation>Unprepare 2</translation>
    </message>
    <message>
        <source>Prepare 2</source>
        <translation>Prepare 2</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>Write 1</source>
        <translation>Write 1</translation>
    </message>
    <message>
        <source>Write 2</source>
        <translation>Write 2</translation>
    </message>
    <message>
        <source>Restart</source>
        <translation>Restart</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Set Vol</source>
        <translation>Set Vol</translation>
    </message>
</context>
<context>
    <name>TrainingMenu</name>
    <message>
        <source>Training</source>
        <translation>Training</translation>
    </message>
    <message>
        <source>Runde starten</source>
        <translation>Start round</translation>
    </message>
    <message>
        <source>MIDI-Regler ...</source>
        <translation>MIDI controller ...</translation>
    </message>
    <message>
        <source>Band</source>
        <comment>one band in play</comment>
        <translation>band</translation>
    </message>
    <message>
        <source>Bändern</source>
        <comment>several bands in play</comment>
        <translation>bands</translation>
    </message>
    <message>
        <source>Lernpfad (%1 von %2 %3)</source>
        <extracomment>Bands in the learning path, bands in play, and &quot;Band&quot; or &quot;Bändern&quot;.</extracomment>
        <translation>Learning path (%1 of %2 %3)</translation>
    </message>
    <message>
        <source>Verwechslungen ...</source>
        <translation>Confusions ...</translation>
    </message>
    <message>
        <source>Lernkurve ...</source>
        <translation>Learning curve ...</translation>
    </message>
    <message>
        <source>Exportieren ...</source>
        <translation>Export ...</translation>
    </message>
    <message>
        <source>Übungssatz starten</source>
        <translation>Start practice set</translation>
    </message>
    <message>
        <source>Schwache Bänder üben</source>
        <translation>Practice weak bands</translation>
    </message>
    <message>
        <source>Lernpfad</source>
        <translation>Learning path</translation>
    </message>
    <message>
        <source>Hinweise</source>
        <translation>Hints</translation>
    </message>
    <message>
        <source>Bühne</source>
        <translation>Stage</translation>
    </message>
    <message>
        <source>Bühne: Frequenzgang ...</source>
        <translation>Stage: frequency response ...</translation>
    </message>
    <message>
        <source>Anschwellen</source>
        <translation>Swell in</translation>
    </message>
    <message>
        <source>Hintergrund</source>
        <translation>Background</translation>
    </message>
    <message>
        <source>Keiner</source>
        <translation>None</translation>
    </message>
    <message>
        <source>Rosa Rauschen</source>
        <translation>Pink noise</translation>
    </message>
    <message>
        <source>Musik ...</source>
        <translation>Music ...</translation>
    </message>
    <message>
        <source>Hörtest ...</source>
        <translation>Listening check ...</translation>
    </message>
    <message>
        <source>Sprache</source>
        <translation>Language</translation>
    </message>
    <message>
        <source>Gilt ab dem nächsten Start</source>
        <translation>Takes effect at the next start</translation>
    </message>
</context>
<context>
    <name>TrainingSoundOptions</name>
    <message>
        <source>Musik für den Hintergrund</source>
        <translation>Music for the background</translation>
    </message>
    <message>
        <source>Musik</source>
        <translation>Music</translation>
    </message>
    <message>
        <source>Alle Dateien</source>
        <translation>All files</translation>
    </message>
    <message>
        <source>Hintergrund</source>
        <translation>Background</translation>
    </message>
    <message>
        <source>Die Musikdatei „%1“ kann nicht gespielt werden.
%2</source>
        <translation>The music file “%1” cannot be played.
%2</translation>
    </message>
    <message>
        <source>
Der Hintergrund ist jetzt „Keiner“.</source>
        <translation>
The background is now “None”.</translation>
    </message>
</context>
</TS>

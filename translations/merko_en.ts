<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="cs">
<context>
    <name>AboutBox</name>
    <message>
        <source>O programu:</source>
        <translation>About Merko</translation>
    </message>
    <message>
        <source>verze 1.5</source>
        <translation>version 1.5</translation>
    </message>
    <message>
        <source>Program pro zkoušení slovíček</source>
        <translation>A program for drilling vocabulary</translation>
    </message>
    <message>
        <source>na stránky autora</source>
        <translation>author&apos;s website</translation>
    </message>
    <message>
        <source>pošta autora</source>
        <translation>mail to the author</translation>
    </message>
</context>
<context>
    <name>Alternatives</name>
    <message>
        <source>Maximální počet synonym je 30 - další budou ignorována!</source>
        <translation>The largest number of synonyms is 30 - the others will be ignored!</translation>
    </message>
</context>
<context>
    <name>AnkiFieldsDialog</name>
    <message>
        <source>Pole poznámek z Anki</source>
        <translation>Note fields from Anki</translation>
    </message>
    <message>
        <source>Která pole poznámek se stanou stranami dvojic a komentáři:</source>
        <translation>Which note fields become the sides of the pairs and the comments:</translation>
    </message>
    <message>
        <source>(žádný)</source>
        <translation>(none)</translation>
    </message>
    <message>
        <source>Příklad:</source>
        <translation>Example:</translation>
    </message>
    <message>
        <source>Zrušit</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>&amp;První strana:</source>
        <translation>&amp;First side:</translation>
    </message>
    <message>
        <source>&amp;Druhá strana:</source>
        <translation>&amp;Second side:</translation>
    </message>
    <message>
        <source>&amp;Komentář první strany:</source>
        <translation>&amp;Comment of the first side:</translation>
    </message>
    <message>
        <source>K&amp;omentář druhé strany:</source>
        <translation>C&amp;omment of the second side:</translation>
    </message>
</context>
<context>
    <name>AnkiImport</name>
    <message>
        <source>…</source>
        <translation>…</translation>
    </message>
    <message>
        <source>poznámka %1 („%2“)</source>
        <translation>note %1 (“%2”)</translation>
    </message>
    <message>
        <source>: neznámý typ poznámky</source>
        <translation>: unknown note type</translation>
    </message>
    <message>
        <source>Načteno </source>
        <translation>Loaded </translation>
    </message>
    <message>
        <source> do </source>
        <translation> into </translation>
    </message>
    <message>
        <source>
Převzato opakování z Anki: %1</source>
        <translation>
Reviews taken over from Anki: %1</translation>
    </message>
    <message>
        <source>; vynecháno %1 (ruční změny plánu, opakování ve filtrovaných balíčcích bez přeplánování, další karty poznámky)</source>
        <translation>; left out %1 (manual changes of the schedule, reviews in filtered decks without rescheduling, further cards of a note)</translation>
    </message>
    <message>
        <source>
Historie odpovědí je nepřevzala: %1 Slovníky je započítávají.</source>
        <translation>
The answer history did not take them: %1 The dictionaries count them.</translation>
    </message>
    <message>
        <source> Z toho už v historii bylo: %1.</source>
        <translation> Of these, already in the history: %1.</translation>
    </message>
    <message>
        <source>; nepřevzatých opakování: %1</source>
        <translation>; reviews not taken: %1</translation>
    </message>
    <message>
        <source>%1 - nepřevzaté poznámky</source>
        <translation>%1 - notes not taken</translation>
    </message>
    <message>
        <source>Poznámky balíčku %1, které se nestaly dvojicí:</source>
        <translation>Notes of the package %1 that became no pair:</translation>
    </message>
    <message>
        <source>, s nimi %1 opakování</source>
        <translation>, with %1 reviews</translation>
    </message>
    <message>
        <source>
Úplný seznam je v souboru %1.</source>
        <translation>
The full list is in the file %1.</translation>
    </message>
    <message>
        <source>, které nejsou dvojice</source>
        <translation>, which are not pairs</translation>
    </message>
    <message>
        <source>Z balíčku %1 nešlo převzít žádnou dvojici.
</source>
        <translation>No pair could be taken from the package %1.
</translation>
    </message>
</context>
<context>
    <name>AnkiPackage</name>
    <message>
        <source>Soubor %1 není balíček Anki: není to archiv ZIP.</source>
        <translation>The file %1 is not an Anki package: it is not a ZIP archive.</translation>
    </message>
    <message>
        <source>Balíček %1 nelze otevřít: %2</source>
        <translation>The package %1 cannot be opened: %2</translation>
    </message>
    <message>
        <source>Balíček %1 obsahuje soubor „%2“, jehož jméno míří mimo balíček; nic se nepřevzalo.</source>
        <translation>The package %1 contains a file “%2” whose name points outside the package; nothing was taken over.</translation>
    </message>
    <message>
        <source>Balíček %1 by se rozbalil do více než %2 MB; takový se nepřebírá.</source>
        <translation>The package %1 would unpack into more than %2 MB; such a package is not taken over.</translation>
    </message>
    <message>
        <source>Dočasný soubor %1 nelze zapsat: %2</source>
        <translation>The temporary file %1 cannot be written: %2</translation>
    </message>
    <message>
        <source>komprimovaná sbírka je neúplná</source>
        <translation>the compressed collection is incomplete</translation>
    </message>
    <message>
        <source>chybí záznam sbírky</source>
        <translation>the collection record is missing</translation>
    </message>
    <message>
        <source>Sbírka v balíčku %1 má verzi %2, novější, než jakou Merko zná; v Anki ji vyvezte s podporou starších verzí.</source>
        <translation>The collection in the package %1 has version %2, newer than Merko knows; export it from Anki with support for older versions.</translation>
    </message>
    <message>
        <source>V balíčku %1 nejsou žádné poznámky.</source>
        <translation>There are no notes in the package %1.</translation>
    </message>
    <message>
        <source>Balíček %1 má verzi %2, novější, než jakou Merko zná; v Anki ho vyvezte s podporou starších verzí.</source>
        <translation>The package %1 has version %2, newer than Merko knows; export it from Anki with support for older versions.</translation>
    </message>
    <message>
        <source>Soubor %1 není balíček Anki: chybí v něm sbírka (collection.anki2).</source>
        <translation>The file %1 is not an Anki package: it has no collection (collection.anki2).</translation>
    </message>
    <message>
        <source>Dočasnou složku nelze založit: %1</source>
        <translation>A temporary folder cannot be created: %1</translation>
    </message>
    <message>
        <source>Soubor %1 je poškozený nebo neúplný balíček Anki (třeba nedokončené stahování). Stáhněte jej nebo v Anki vyvezte znovu.</source>
        <translation>%1 is a damaged or incomplete Anki package (perhaps an unfinished download). Download it again or export it from Anki again.</translation>
    </message>
    <message>
        <source>archiv ZIP nemá konec, nebo je porušený</source>
        <translation>the ZIP archive has no end, or is broken</translation>
    </message>
</context>
<context>
    <name>AnkiPackageImport</name>
    <message>
        <source>Čte se balíček %1...</source>
        <translation>Reading the package %1...</translation>
    </message>
    <message>
        <source>Z balíčku %1 už jsou slovníky:
%2
Doplnit do nich nové poznámky? Jejich dvojice i statistika zůstanou. (Ne: vzniknou nové slovníky.)</source>
        <translation>The package %1 already made the dictionaries:
%2
Add the new notes to them? Their pairs and statistics stay. (No: new dictionaries are made.)</translation>
    </message>
    <message>
        <source>slovníky (*.slv)</source>
        <translation>dictionaries (*.slv)</translation>
    </message>
    <message>
        <source>Převzaté opakování z Anki se projeví při nabízení slov podle plánu opakování. Nabízet slova podle plánu opakování? (V nastavení jde změnit a tlačítkem &quot;ulož&quot; uložit.)</source>
        <translation>The reviews taken from Anki count when the words are offered by the review schedule. Offer the words by the review schedule? (The settings can change it, and the button &quot;save&quot; keeps it.)</translation>
    </message>
    <message>
        <source>historie odpovědí teď není k dispozici.</source>
        <translation>the answer history is not available now.</translation>
    </message>
    <message>
        <source>Opakování se zapisují do historie...</source>
        <translation>Writing the reviews into the history...</translation>
    </message>
</context>
<context>
    <name>AnswerDifference</name>
    <message>
        <source>písmeno</source>
        <translation>a letter</translation>
    </message>
    <message>
        <source>%1 písmena</source>
        <translation>%1 letters</translation>
    </message>
    <message>
        <source>%1 písmen</source>
        <translation>%1 letters</translation>
    </message>
    <message>
        <source>chybí %1 na začátku</source>
        <translation>%1 missing at the beginning</translation>
    </message>
    <message>
        <source>chybí %1 za %2</source>
        <translation>%1 missing after %2</translation>
    </message>
    <message>
        <source>místo %1 je %2</source>
        <translation>%2 instead of %1</translation>
    </message>
    <message>
        <source>písmeno %1 je špatně</source>
        <translation>letter %1 is wrong</translation>
    </message>
    <message>
        <source>písmena %1 jsou špatně</source>
        <translation>letters %1 are wrong</translation>
    </message>
    <message>
        <source>písmena %1 jsou prohozená</source>
        <translation>letters %1 are swapped</translation>
    </message>
    <message>
        <source>písmeno %1 je navíc</source>
        <translation>letter %1 is extra</translation>
    </message>
    <message>
        <source>písmena %1 jsou navíc</source>
        <translation>letters %1 are extra</translation>
    </message>
    <message>
        <source>kratší než %1 písmen: potřeba úplná shoda</source>
        <translation>shorter than %1 letters: an exact match is needed</translation>
    </message>
    <message>
        <source>shoda %1 % — potřeba %2 %</source>
        <translation>match %1 % — %2 % needed</translation>
    </message>
</context>
<context>
    <name>AnswerImport</name>
    <message>
        <source>zapsala ji jiná verze programu Merko</source>
        <translation>another version of Merko wrote it</translation>
    </message>
</context>
<context>
    <name>AnswerJudge</name>
    <message>
        <source>úplná shoda</source>
        <translation>exact match</translation>
    </message>
    <message>
        <source>prohozena dvě sousední písmena</source>
        <translation>two neighbouring letters swapped</translation>
    </message>
    <message>
        <source>jedno písmeno je špatně</source>
        <translation>one letter is wrong</translation>
    </message>
    <message>
        <source>dvě písmena jsou špatně</source>
        <translation>two letters are wrong</translation>
    </message>
    <message>
        <source>tři písmena jsou špatně</source>
        <translation>three letters are wrong</translation>
    </message>
    <message>
        <source>výskyt alespoň nadpolovičního řetězce</source>
        <translation>contains at least half of the text</translation>
    </message>
    <message>
        <source>chybí-li či jsou navíc max. 3 písmena</source>
        <translation>at most 3 letters missing or extra</translation>
    </message>
</context>
<context>
    <name>Application</name>
    <message>
        <source>Některé odpovědi ve slovníku %1 se minule nestihly uložit (program byl ukončen, nebo byl plný disk). Program je teď doplnil z historie odpovědí do statistiky slovníku. Počet doplněných odpovědí: %2.</source>
        <translation>Some answers in the dictionary %1 were not saved last time (the program was ended, or the disk was full). The program has now added them from the answer history to the dictionary&apos;s statistics. Answers added: %2.</translation>
    </message>
    <message>
        <source>Slovník %1 zadaný při spuštění nelze otevřít: %2.</source>
        <translation>The dictionary %1 given at start-up cannot be opened: %2.</translation>
    </message>
    <message>
        <source>Ukládání slovníku %1 přerušilo minule ukončení programu. Program ho teď dokončil; žádná odpověď se neztratila.</source>
        <translation>Saving the dictionary %1 was interrupted last time when the program was ended. The program has now finished it; no answer was lost.</translation>
    </message>
    <message>
        <source>Ukládání slovníku %1 přerušilo minule ukončení programu a soubor se mezitím změnil. Aby se nic nepřepsalo, slovník s posledními odpověďmi je uložen jako %2.</source>
        <translation>Saving the dictionary %1 was interrupted last time when the program was ended, and the file has changed since. So that nothing is overwritten, the dictionary with the latest answers is saved as %2.</translation>
    </message>
    <message>
        <source>Slovník %1 je už otevřen v jiné kopii programu Merko.
Pokud ho otevřete i zde, odpovědi z obou kopií se při ukládání sečtou. Otevřít ho?</source>
        <translation>The dictionary %1 is already open in another copy of Merko.
If you open it here as well, the answers of both copies are added up when saving. Open it?</translation>
    </message>
    <message>
        <source>Chcete vymazat aktuální statistiku?</source>
        <translation>Do you want to clear the current statistics?</translation>
    </message>
    <message>
        <source>Slovník %1 se nepodařilo uložit: %2.
Odpovědi od posledního uložení jsou zatím jen v paměti programu.</source>
        <translation>The dictionary %1 could not be saved: %2.
The answers since the last save are only in the program&apos;s memory for now.</translation>
    </message>
    <message>
        <source>slovníky (*.slv)</source>
        <translation>dictionaries (*.slv)</translation>
    </message>
    <message>
        <source> Program to zkusí znovu po každé další odpovědi a při ukončení.</source>
        <translation> The program will try again after every further answer and at exit.</translation>
    </message>
    <message>
        <source>Do složky %1 nelze zapsat deník ukládání (%2). Slovník %3 se ukládá dál; chybí jen dodatečná pojistka pro případ, že by byl program ukončen uprostřed ukládání.</source>
        <translation>The save journal cannot be written into the folder %1 (%2). The dictionary %3 is still saved; only the extra protection against the program being ended in the middle of a save is missing.</translation>
    </message>
    <message>
        <source>Slovník %1 mezitím změnil jiný program nebo jiná kopie Merka. Vaše odpovědi byly přičteny ke statistice, kterou soubor obsahuje teď.</source>
        <translation>The dictionary %1 was changed meanwhile by another program or another copy of Merko. Your answers were added to the statistics that the file holds now.</translation>
    </message>
    <message>
        <source>
Dvojic, na které jste odpovídali a které už v souboru nejsou: %1; jejich odpovědi nebylo kam zapsat.</source>
        <translation>
Pairs you answered that are no longer in the file: %1; their answers had nowhere to be written.</translation>
    </message>
    <message>
        <source>Historii odpovědí %1 má zamčenou jiný program, a tak se do ní nezapsalo posledních odpovědí: %2. Ve statistice slovníku uloženy jsou; v historii a plánu opakování chybějí.</source>
        <translation>The answer history %1 is locked by another program, so the last answers were not written into it: %2. They are saved in the dictionary&apos;s statistics; the history and the review schedule lack them.</translation>
    </message>
    <message>
        <source>Chcete skutečně skončit?</source>
        <translation>Do you really want to quit?</translation>
    </message>
    <message>
        <source>
Chcete to skutečně provést?</source>
        <translation>
Do you really want to do it?</translation>
    </message>
    <message>
        <source>Tímto se vymaže dosavadní statistika četnosti nabídky slov. </source>
        <translation>This clears the statistics of how often the words were offered so far. </translation>
    </message>
    <message>
        <source>Tímto se vymaže dosavadní statistika chybovosti slov. </source>
        <translation>This clears the statistics of errors in the words so far. </translation>
    </message>
    <message>
        <source>Tímto se vymaže dosavadní statistika četnosti nabídky a chybovosti slov. </source>
        <translation>This clears the statistics of how often the words were offered and of errors so far. </translation>
    </message>
    <message>
        <source>Karty se nepodařilo přepočítat podle parametrů paměti: %1</source>
        <translation>The cards could not be computed again with the memory parameters: %1</translation>
    </message>
    <message>
        <source>Klíč ParametryFSRS v souboru Merko.ini nemá 21 platných čísel v jejich mezích; platí výchozí parametry paměti.</source>
        <translation>The key ParametryFSRS in the file Merko.ini does not hold 21 valid numbers within their ranges; the default memory parameters are in force.</translation>
    </message>
</context>
<context>
    <name>CountedWord</name>
    <message>
        <source>další|další|dalších</source>
        <translation>more|more|more</translation>
    </message>
    <message>
        <source>dvojice|dvojice|dvojic</source>
        <translation>pair|pairs|pairs</translation>
    </message>
    <message>
        <source>položka přeskočena|položky přeskočeny|položek přeskočeno</source>
        <translation>entry skipped|entries skipped|entries skipped</translation>
    </message>
    <message>
        <source>řádek přeskočen|řádky přeskočeny|řádků přeskočeno</source>
        <translation>line skipped|lines skipped|lines skipped</translation>
    </message>
    <message>
        <source>další nebyla zapsána|další nebyly zapsány|dalších nebylo zapsáno</source>
        <translation>more was not written|more were not written|more were not written</translation>
    </message>
    <message>
        <source>slovníku|slovníků|slovníků</source>
        <translation>dictionary|dictionaries|dictionaries</translation>
    </message>
    <message>
        <source>poznámka s doplňováním (cloze) není dvojice|poznámky s doplňováním (cloze) nejsou dvojice|poznámek s doplňováním (cloze) nejsou dvojice</source>
        <translation>cloze note is not a pair|cloze notes are not pairs|cloze notes are not pairs</translation>
    </message>
    <message>
        <source>poznámka přeskočena|poznámky přeskočeny|poznámek přeskočeno</source>
        <translation>note skipped|notes skipped|notes skipped</translation>
    </message>
    <message>
        <source>zbylá bude vynechána|zbylé budou vynechány|zbylých bude vynecháno</source>
        <translation>remaining one will be left out|remaining ones will be left out|remaining ones will be left out</translation>
    </message>
    <message>
        <source>poznámka s doplňováním (cloze)|poznámky s doplňováním (cloze)|poznámek s doplňováním (cloze)</source>
        <translation>cloze note|cloze notes|cloze notes</translation>
    </message>
</context>
<context>
    <name>CurrentDictionary</name>
    <message>
        <source>Soubor %1, ze kterého se slovíčka berou, se nepřepisuje; zvolte pro slovník jiné jméno.</source>
        <translation>The file %1 that the words are taken from is not overwritten; choose another name for the dictionary.</translation>
    </message>
    <message>
        <source>jazyky se neuložily, zkuste to prosím znovu.</source>
        <translation>the languages were not saved, please try again.</translation>
    </message>
    <message>
        <source>Slovník %1 mezitím změnil jiný program; </source>
        <translation>The dictionary %1 was changed meanwhile by another program; </translation>
    </message>
</context>
<context>
    <name>CurrentDictionaryDialog</name>
    <message>
        <source>  aktuální slovník:</source>
        <translation>Current dictionary</translation>
    </message>
</context>
<context>
    <name>DictionaryChooser</name>
    <message>
        <source>    výběr slovníku:</source>
        <translation>Choose a dictionary</translation>
    </message>
</context>
<context>
    <name>DictionaryEditor</name>
    <message>
        <source>Editace slovníku:</source>
        <translation>Edit the dictionary</translation>
    </message>
    <message>
        <source>ulož</source>
        <translation>save</translation>
    </message>
    <message>
        <source>slovníky (*.slv)</source>
        <translation>dictionaries (*.slv)</translation>
    </message>
</context>
<context>
    <name>DrillSession</name>
    <message>
        <source>Na dnes je hotovo: nic k opakování, nová slova zase zítra.</source>
        <translation>Done for today: nothing to review, new words again tomorrow.</translation>
    </message>
</context>
<context>
    <name>DrillWindow</name>
    <message>
        <source>zde bude informace o kriteriu</source>
        <translation>information about the criterion will be here</translation>
    </message>
    <message>
        <source>Zkoušení slovíček:</source>
        <translation>Vocabulary drill</translation>
    </message>
    <message>
        <source>slova:</source>
        <translation>words:</translation>
    </message>
    <message>
        <source>testovaný výraz:</source>
        <translation>offered term:</translation>
    </message>
    <message>
        <source>překlad:</source>
        <translation>answer:</translation>
    </message>
    <message>
        <source>další</source>
        <translation>next</translation>
    </message>
    <message>
        <source>kriteria pro proc. vyhodnocení:</source>
        <translation>criteria of the percentage judging:</translation>
    </message>
    <message>
        <source>požadavek</source>
        <translation>required</translation>
    </message>
    <message>
        <source>dosaženo</source>
        <translation>achieved</translation>
    </message>
    <message>
        <source>kriterium</source>
        <translation>criterion</translation>
    </message>
    <message>
        <source>celkem:</source>
        <translation>total:</translation>
    </message>
    <message>
        <source>správně:</source>
        <translation>right:</translation>
    </message>
    <message>
        <source>chybně:</source>
        <translation>wrong:</translation>
    </message>
    <message>
        <source>k opakování dnes: %1
nových: %2</source>
        <translation>due today: %1
new: %2</translation>
    </message>
    <message>
        <source>%%:</source>
        <translation>%</translation>
    </message>
</context>
<context>
    <name>FileCommands</name>
    <message>
        <source>slovíčka jiných programů (*.kvtml *.tsv *.csv *.txt *.apkg *.colpkg);;balíčky Anki (*.apkg *.colpkg);;všechny soubory (*)</source>
        <translation>other programs&apos; vocabulary (*.kvtml *.tsv *.csv *.txt *.apkg *.colpkg);;Anki packages (*.apkg *.colpkg);;all files (*)</translation>
    </message>
    <message>
        <source>Ze souboru %1 nešlo převzít žádnou dvojici.
</source>
        <translation>No pair could be taken from the file %1.
</translation>
    </message>
    <message>
        <source>Soubor obsahuje %1 dvojic, slovník jich pojme nejvýše %2. Zapsat prvních %2? </source>
        <translation>The file contains %1 pairs, the dictionary holds at most %2. Write the first %2? </translation>
    </message>
    <message>
        <source>slovníky (*.slv)</source>
        <translation>dictionaries (*.slv)</translation>
    </message>
    <message>
        <source>KVTML (*.kvtml);;text oddělený tabulátory (*.tsv *.txt)</source>
        <translation>KVTML (*.kvtml);;tab-separated text (*.tsv *.txt)</translation>
    </message>
</context>
<context>
    <name>FolderSync::Worker</name>
    <message>
        <source>Historii odpovědí nelze číst: %1</source>
        <translation>The answer history cannot be read: %1</translation>
    </message>
</context>
<context>
    <name>HelpWindow</name>
    <message>
        <source>nápověda:</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>:/assets/help.txt</source>
        <comment>the resource of the help text in this language</comment>
        <translation>:/assets/help_en.txt</translation>
    </message>
</context>
<context>
    <name>ImportedPairs</name>
    <message>
        <source>jedna strana je prázdná</source>
        <translation>one side is empty</translation>
    </message>
    <message>
        <source>obsahuje &apos;/&apos; nebo &apos;@&apos;, které řádek slovníku nepojme</source>
        <translation>contains &apos;/&apos; or &apos;@&apos;, which a dictionary line cannot hold</translation>
    </message>
    <message>
        <source>obsahuje složenou závorku, kterou slovník vyhrazuje komentářům</source>
        <translation>contains a curly bracket, which the dictionary keeps for comments</translation>
    </message>
    <message>
        <source>strana i s komentářem je delší než %1 znaků</source>
        <translation>the side with its comment is longer than %1 characters</translation>
    </message>
    <message>
        <source>obsahuje konec řádku</source>
        <translation>contains a line break</translation>
    </message>
    <message>
        <source>řádek slovníku by ho nepřečetl tak, jak je</source>
        <translation>a dictionary line would not read it as it is</translation>
    </message>
    <message>
        <source>Soubor není textový (obsahuje binární data); slovíčka z něj převzít nelze.</source>
        <translation>The file is not text (it contains binary data); no words can be taken from it.</translation>
    </message>
    <message>
        <source>Soubor je prázdný.</source>
        <translation>The file is empty.</translation>
    </message>
    <message>
        <source>
... a </source>
        <translation>
... and </translation>
    </message>
    <message>
        <source>Načteno </source>
        <translation>Loaded </translation>
    </message>
    <message>
        <source>
Slovník pojme nejvýše %1 dvojic: </source>
        <translation>
The dictionary holds at most %1 pairs: </translation>
    </message>
</context>
<context>
    <name>IniFile</name>
    <message>
        <source>Soubor nastavení %1 nelze přečíst: %2. Program ho nechá, jak je.</source>
        <translation>The settings file %1 cannot be read: %2. The program leaves it as it is.</translation>
    </message>
</context>
<context>
    <name>Kvtml</name>
    <message>
        <source>položka na řádku %1</source>
        <translation>entry on line %1</translation>
    </message>
    <message>
        <source>: nemá dva překlady</source>
        <translation>: does not have two translations</translation>
    </message>
    <message>
        <source>Soubor není platný KVTML: chyba na řádku %1: %2.</source>
        <translation>The file is not valid KVTML: error on line %1: %2.</translation>
    </message>
    <message>
        <source>Soubor KVTML neobsahuje žádnou položku.</source>
        <translation>The KVTML file contains no entry.</translation>
    </message>
    <message>
        <source>strana %1</source>
        <translation>side %1</translation>
    </message>
</context>
<context>
    <name>Languages</name>
    <message>
        <source>čeština</source>
        <translation>Czech</translation>
    </message>
    <message>
        <source>češtinu</source>
        <translation>Czech</translation>
    </message>
    <message>
        <source>angličtina</source>
        <translation>English</translation>
    </message>
    <message>
        <source>angličtinu</source>
        <translation>English</translation>
    </message>
    <message>
        <source>němčina</source>
        <translation>German</translation>
    </message>
    <message>
        <source>němčinu</source>
        <translation>German</translation>
    </message>
    <message>
        <source>francouzština</source>
        <translation>French</translation>
    </message>
    <message>
        <source>francouzštinu</source>
        <translation>French</translation>
    </message>
    <message>
        <source>španělština</source>
        <translation>Spanish</translation>
    </message>
    <message>
        <source>španělštinu</source>
        <translation>Spanish</translation>
    </message>
    <message>
        <source>italština</source>
        <translation>Italian</translation>
    </message>
    <message>
        <source>italštinu</source>
        <translation>Italian</translation>
    </message>
    <message>
        <source>ruština</source>
        <translation>Russian</translation>
    </message>
    <message>
        <source>ruštinu</source>
        <translation>Russian</translation>
    </message>
    <message>
        <source>polština</source>
        <translation>Polish</translation>
    </message>
    <message>
        <source>polštinu</source>
        <translation>Polish</translation>
    </message>
    <message>
        <source>slovenština</source>
        <translation>Slovak</translation>
    </message>
    <message>
        <source>slovenštinu</source>
        <translation>Slovak</translation>
    </message>
    <message>
        <source>slovinština</source>
        <translation>Slovenian</translation>
    </message>
    <message>
        <source>slovinštinu</source>
        <translation>Slovenian</translation>
    </message>
    <message>
        <source>portugalština</source>
        <translation>Portuguese</translation>
    </message>
    <message>
        <source>portugalštinu</source>
        <translation>Portuguese</translation>
    </message>
    <message>
        <source>nizozemština</source>
        <translation>Dutch</translation>
    </message>
    <message>
        <source>nizozemštinu</source>
        <translation>Dutch</translation>
    </message>
    <message>
        <source>holandština</source>
        <translation>Dutch</translation>
    </message>
    <message>
        <source>holandštinu</source>
        <translation>Dutch</translation>
    </message>
    <message>
        <source>švédština</source>
        <translation>Swedish</translation>
    </message>
    <message>
        <source>švédštinu</source>
        <translation>Swedish</translation>
    </message>
    <message>
        <source>norština</source>
        <translation>Norwegian</translation>
    </message>
    <message>
        <source>norštinu</source>
        <translation>Norwegian</translation>
    </message>
    <message>
        <source>dánština</source>
        <translation>Danish</translation>
    </message>
    <message>
        <source>dánštinu</source>
        <translation>Danish</translation>
    </message>
    <message>
        <source>finština</source>
        <translation>Finnish</translation>
    </message>
    <message>
        <source>finštinu</source>
        <translation>Finnish</translation>
    </message>
    <message>
        <source>maďarština</source>
        <translation>Hungarian</translation>
    </message>
    <message>
        <source>maďarštinu</source>
        <translation>Hungarian</translation>
    </message>
    <message>
        <source>řečtina</source>
        <translation>Greek</translation>
    </message>
    <message>
        <source>řečtinu</source>
        <translation>Greek</translation>
    </message>
    <message>
        <source>latina</source>
        <translation>Latin</translation>
    </message>
    <message>
        <source>latinu</source>
        <translation>Latin</translation>
    </message>
    <message>
        <source>čínština</source>
        <translation>Chinese</translation>
    </message>
    <message>
        <source>čínštinu</source>
        <translation>Chinese</translation>
    </message>
    <message>
        <source>japonština</source>
        <translation>Japanese</translation>
    </message>
    <message>
        <source>japonštinu</source>
        <translation>Japanese</translation>
    </message>
    <message>
        <source>korejština</source>
        <translation>Korean</translation>
    </message>
    <message>
        <source>korejštinu</source>
        <translation>Korean</translation>
    </message>
    <message>
        <source>arabština</source>
        <translation>Arabic</translation>
    </message>
    <message>
        <source>arabštinu</source>
        <translation>Arabic</translation>
    </message>
    <message>
        <source>turečtina</source>
        <translation>Turkish</translation>
    </message>
    <message>
        <source>turečtinu</source>
        <translation>Turkish</translation>
    </message>
    <message>
        <source>ukrajinština</source>
        <translation>Ukrainian</translation>
    </message>
    <message>
        <source>ukrajinštinu</source>
        <translation>Ukrainian</translation>
    </message>
    <message>
        <source>chorvatština</source>
        <translation>Croatian</translation>
    </message>
    <message>
        <source>chorvatštinu</source>
        <translation>Croatian</translation>
    </message>
    <message>
        <source>srbština</source>
        <translation>Serbian</translation>
    </message>
    <message>
        <source>srbštinu</source>
        <translation>Serbian</translation>
    </message>
    <message>
        <source>bulharština</source>
        <translation>Bulgarian</translation>
    </message>
    <message>
        <source>bulharštinu</source>
        <translation>Bulgarian</translation>
    </message>
    <message>
        <source>rumunština</source>
        <translation>Romanian</translation>
    </message>
    <message>
        <source>rumunštinu</source>
        <translation>Romanian</translation>
    </message>
    <message>
        <source>hebrejština</source>
        <translation>Hebrew</translation>
    </message>
    <message>
        <source>hebrejštinu</source>
        <translation>Hebrew</translation>
    </message>
    <message>
        <source>esperanto</source>
        <translation>Esperanto</translation>
    </message>
</context>
<context>
    <name>LanguagesDialog</name>
    <message>
        <source>Jazyky slovníku</source>
        <translation>Languages of the dictionary</translation>
    </message>
    <message>
        <source>&amp;První strana (před lomítkem):</source>
        <translation>&amp;First side (before the slash):</translation>
    </message>
    <message>
        <source>&amp;Druhá strana (za lomítkem):</source>
        <translation>&amp;Second side (after the slash):</translation>
    </message>
    <message>
        <source>Zrušit</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>LogTransfer</name>
    <message>
        <source>Složka %1 neexistuje.</source>
        <translation>The folder %1 does not exist.</translation>
    </message>
    <message>
        <source>Ve složce %1 nelze založit složku pro odpovědi (%2): %3</source>
        <translation>A folder for the answers cannot be created in the folder %1 (%2): %3</translation>
    </message>
    <message>
        <source>Historii odpovědí nelze číst: %1</source>
        <translation>The answer history cannot be read: %1</translation>
    </message>
    <message>
        <source>Do souboru %1 nelze zapsat: %2</source>
        <translation>The file %1 cannot be written: %2</translation>
    </message>
    <message>
        <source>Soubor %1 zapsala novější verze programu; jeho odpovědi se nečtou.</source>
        <translation>The file %1 was written by a newer version of the program; its answers are not read.</translation>
    </message>
    <message>
        <source>Soubor %1 není záznamem odpovědí; nečte se.</source>
        <translation>The file %1 is not an answer log; it is not read.</translation>
    </message>
    <message>
        <source>V souboru %1 je poškozených záznamů: %2; ostatní se čtou.</source>
        <translation>The file %1 has damaged records: %2; the others are read.</translation>
    </message>
    <message>
        <source>Synchronizovaná složka %1 teď není dostupná (chybí v ní složka %2). Program procvičuje s historií tohoto počítače a odpovědi vymění, až bude složka zpět. Je-li složka nová, zvolte ji v okně Volby tlačítkem Synchronizace...</source>
        <translation>The synchronised folder %1 is not available now (its folder %2 is missing). The program drills with this computer&apos;s history and exchanges the answers when the folder is back. If the folder is new, choose it in the Options window with the Synchronisation... button.</translation>
    </message>
    <message>
        <source>Odpovědi z ostatních počítačů nelze uložit: %1</source>
        <translation>The answers from the other computers cannot be saved: %1</translation>
    </message>
</context>
<context>
    <name>MainMenu</name>
    <message>
        <source>&amp;Soubor</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>&amp;Načti</source>
        <translation>&amp;Load</translation>
    </message>
    <message>
        <source>&amp;Importovat...</source>
        <translation>&amp;Import...</translation>
    </message>
    <message>
        <source>E&amp;xportovat...</source>
        <translation>E&amp;xport...</translation>
    </message>
    <message>
        <source>&amp;Edituj</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>&amp;Nový</source>
        <translation>&amp;New</translation>
    </message>
    <message>
        <source>&amp;Výběr ...</source>
        <translation>&amp;Choose ...</translation>
    </message>
    <message>
        <source>&amp;Ukaž aktuální</source>
        <translation>Show &amp;current</translation>
    </message>
    <message>
        <source>&amp;Jazyky slovníku...</source>
        <translation>Dictionary lan&amp;guages...</translation>
    </message>
    <message>
        <source>&amp;Konec</source>
        <translation>&amp;Quit</translation>
    </message>
    <message>
        <source>S&amp;tatistika</source>
        <translation>S&amp;tatistics</translation>
    </message>
    <message>
        <source>Č&amp;etnosti</source>
        <translation>&amp;Offers</translation>
    </message>
    <message>
        <source>&amp;Chybovosti</source>
        <translation>&amp;Errors</translation>
    </message>
    <message>
        <source>&amp;Pokrok...</source>
        <translation>&amp;Progress...</translation>
    </message>
    <message>
        <source>&amp;Vynulovat</source>
        <translation>&amp;Reset</translation>
    </message>
    <message>
        <source>&amp;Interní</source>
        <translation>&amp;Internal</translation>
    </message>
    <message>
        <source>&amp;Všechny</source>
        <translation>&amp;All</translation>
    </message>
    <message>
        <source>&amp;Aktuální</source>
        <translation>&amp;Current</translation>
    </message>
    <message>
        <source>&amp;Volby</source>
        <translation>&amp;Options</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>&amp;O aplikaci</source>
        <translation>&amp;About</translation>
    </message>
</context>
<context>
    <name>MemoryFit</name>
    <message>
        <source>Historii odpovědí %1 nelze otevřít: %2</source>
        <translation>The answer history %1 cannot be opened: %2</translation>
    </message>
    <message>
        <source>Historie odpovědí %1 neexistuje.</source>
        <translation>The answer history %1 does not exist.</translation>
    </message>
    <message>
        <source>Historii odpovědí %1 nelze přečíst: %2</source>
        <translation>The answer history %1 cannot be read: %2</translation>
    </message>
    <message>
        <source>Optimalizace byla zrušena; platí dosavadní parametry paměti.</source>
        <translation>The optimisation was cancelled; the memory parameters in force stay.</translation>
    </message>
    <message>
        <source>Na optimalizaci je v historii málo odpovědí: %1 opakování po dni a více na %2 kartách; potřeba je aspoň %3 na %4 kartách. Platí dosavadní parametry paměti.</source>
        <translation>The history holds too few answers to optimise: %1 reviews a day or more apart on %2 cards; at least %3 on %4 cards are needed. The memory parameters in force stay.</translation>
    </message>
    <message>
        <source>Použito %1 odpovědí na %2 kartách.</source>
        <translation>Used %1 answers on %2 cards.</translation>
    </message>
    <message>
        <source>Porovnáno na poslední pětině odpovědí (%1 opakování), na které se nové parametry neučily.</source>
        <translation>Compared on the last fifth of the answers (%1 reviews), which the new parameters did not learn from.</translation>
    </message>
    <message>
        <source>předpověď vybavení: chyba %1 → %2</source>
        <translation>recall prediction: error %1 → %2</translation>
    </message>
    <message>
        <source>odchylka předpovědí od skutečnosti (RMSE): %1 → %2</source>
        <translation>deviation of the predictions from reality (RMSE): %1 → %2</translation>
    </message>
    <message>
        <source>Nové parametry předpovídají lépe a platí od teď.</source>
        <translation>The new parameters predict better and are in force from now on.</translation>
    </message>
    <message>
        <source>Nové parametry by nepředpovídaly lépe; platí dosavadní.</source>
        <translation>The new parameters would not predict better; the ones in force stay.</translation>
    </message>
</context>
<context>
    <name>NewDictionaryDialog</name>
    <message>
        <source>Pořízení slovníku:</source>
        <translation>New dictionary</translation>
    </message>
    <message>
        <source>téma:</source>
        <translation>theme:</translation>
    </message>
    <message>
        <source>ulož</source>
        <translation>save</translation>
    </message>
    <message>
        <source>    česky:</source>
        <translation>    Czech:</translation>
    </message>
    <message>
        <source>    cizí jazyk:</source>
        <translation>    foreign language:</translation>
    </message>
    <message>
        <source>slovník (*.slv)</source>
        <translation>dictionary (*.slv)</translation>
    </message>
    <message>
        <source>Data dosud nejsou uložena. Uložit?</source>
        <translation>The data is not saved yet. Save it?</translation>
    </message>
</context>
<context>
    <name>OptimiseCommand</name>
    <message>
        <source>Klíč ParametryFSRS v souboru %1 nemá 21 platných čísel; platí výchozí parametry paměti.</source>
        <translation>The key ParametryFSRS in the file %1 does not hold 21 valid numbers; the default memory parameters are in force.</translation>
    </message>
    <message>
        <source>Karty se podle nových parametrů přepočítají při příštím spuštění: %1</source>
        <translation>The cards will be computed with the new parameters at the next start: %1</translation>
    </message>
</context>
<context>
    <name>Progress</name>
    <message>
        <source>neznámá chyba databáze</source>
        <translation>unknown database error</translation>
    </message>
    <message>
        <source>Historii odpovědí nelze přečíst (%1); soubor CSV se neuložil.</source>
        <translation>The answer history cannot be read (%1); the CSV file was not saved.</translation>
    </message>
    <message>
        <source>čas,slovník,strana 1,komentář 1,strana 2,komentář 2,nabídnutá strana,známka,napsáno,doba (ms)</source>
        <comment>the columns of the answers&apos; CSV file, separated by commas</comment>
        <translation>time,dictionary,side 1,comment 1,side 2,comment 2,offered side,grade,typed,duration (ms)</translation>
    </message>
    <message>
        <source>znovu</source>
        <translation>again</translation>
    </message>
    <message>
        <source>s obtížemi</source>
        <translation>hard</translation>
    </message>
    <message>
        <source>dobře</source>
        <translation>good</translation>
    </message>
    <message>
        <source>snadno</source>
        <translation>easy</translation>
    </message>
</context>
<context>
    <name>ProgressCharts</name>
    <message>
        <source>modul %1 nelze načíst (%2)</source>
        <translation>the module %1 cannot be loaded (%2)</translation>
    </message>
</context>
<context>
    <name>ProgressWindow</name>
    <message>
        <source>d.M.</source>
        <comment>day and month of a chart&apos;s axis</comment>
        <translation>M/d</translation>
    </message>
    <message>
        <source>Pokrok</source>
        <translation>Progress</translation>
    </message>
    <message>
        <source>&amp;Odpovědi</source>
        <translation>&amp;Answers</translation>
    </message>
    <message>
        <source>Ú&amp;spěšnost</source>
        <translation>&amp;Success</translation>
    </message>
    <message>
        <source>&amp;Předpověď</source>
        <translation>&amp;Forecast</translation>
    </message>
    <message>
        <source>Pa&amp;měť</source>
        <translation>&amp;Memory</translation>
    </message>
    <message>
        <source>&amp;Nejtěžší</source>
        <translation>&amp;Hardest</translation>
    </message>
    <message>
        <source>&amp;Rozsah:</source>
        <translation>&amp;Scope:</translation>
    </message>
    <message>
        <source>aktuální slovník</source>
        <translation>current dictionary</translation>
    </message>
    <message>
        <source>celá historie</source>
        <translation>whole history</translation>
    </message>
    <message>
        <source>O&amp;bdobí:</source>
        <translation>&amp;Period:</translation>
    </message>
    <message>
        <source>30 dní</source>
        <translation>30 days</translation>
    </message>
    <message>
        <source>90 dní</source>
        <translation>90 days</translation>
    </message>
    <message>
        <source>365 dní</source>
        <translation>365 days</translation>
    </message>
    <message>
        <source>počtu zapomenutí</source>
        <translation>times forgotten</translation>
    </message>
    <message>
        <source>vybavení nyní</source>
        <translation>recall now</translation>
    </message>
    <message>
        <source>Ř&amp;adit podle:</source>
        <translation>Sor&amp;t by:</translation>
    </message>
    <message>
        <source>strana 1</source>
        <translation>side 1</translation>
    </message>
    <message>
        <source>strana 2</source>
        <translation>side 2</translation>
    </message>
    <message>
        <source>nabízena</source>
        <translation>offered</translation>
    </message>
    <message>
        <source>zapomenuto</source>
        <translation>forgotten</translation>
    </message>
    <message>
        <source>odpovědí</source>
        <translation>answers</translation>
    </message>
    <message>
        <source>vybavení %</source>
        <translation>recall %</translation>
    </message>
    <message>
        <source>Uložit obráze&amp;k...</source>
        <translation>Save pictu&amp;re...</translation>
    </message>
    <message>
        <source>Uložit &amp;historii (CSV)...</source>
        <translation>Save &amp;history (CSV)...</translation>
    </message>
    <message>
        <source>&amp;Zavřít</source>
        <translation>&amp;Close</translation>
    </message>
    <message>
        <source>Historii odpovědí nelze otevřít, a tak není co ukázat.</source>
        <translation>The answer history cannot be opened, so there is nothing to show.</translation>
    </message>
    <message>
        <source>Na tento slovník zatím historie nemá žádnou odpověď.
Odpovědi se do ní zapisují od této verze programu; obrázky se naplní, jakmile budete odpovídat.</source>
        <translation>The history has no answer for this dictionary yet.
Answers are written into it since this version of the program; the charts fill as soon as you answer.</translation>
    </message>
    <message>
        <source>Historie odpovědí je zatím prázdná.
Odpovědi se do ní zapisují od této verze programu; obrázky se naplní, jakmile budete odpovídat.</source>
        <translation>The answer history is empty so far.
Answers are written into it since this version of the program; the charts fill as soon as you answer.</translation>
    </message>
    <message>
        <source>Historii odpovědí nelze přečíst: %1.</source>
        <translation>The answer history cannot be read: %1.</translation>
    </message>
    <message>
        <source>Odpovědi za den, posledních %1 dní</source>
        <translation>Answers per day, last %1 days</translation>
    </message>
    <message>
        <source>přesně</source>
        <translation>exact</translation>
    </message>
    <message>
        <source>s překlepem</source>
        <translation>with a typo</translation>
    </message>
    <message>
        <source>chybně nebo ukázáno</source>
        <translation>wrong or shown</translation>
    </message>
    <message>
        <source>Správné první odpovědi dne (%)</source>
        <translation>Right first answers of the day (%)</translation>
    </message>
    <message>
        <source>správně napoprvé</source>
        <translation>right the first time</translation>
    </message>
    <message>
        <source>udržet v paměti %1 %</source>
        <translation>retention %1 %</translation>
    </message>
    <message>
        <source>Karty k opakování v příštích %1 dnech</source>
        <translation>Cards due in the next %1 days</translation>
    </message>
    <message>
        <source>dnes</source>
        <translation>today</translation>
    </message>
    <message>
        <source>zítra</source>
        <translation>tomorrow</translation>
    </message>
    <message>
        <source>k opakování (dnes i ty po termínu)</source>
        <translation>due (today and overdue)</translation>
    </message>
    <message>
        <source>Karty podle toho, jak dlouho je udržíte v paměti</source>
        <translation>Cards by how long you will keep them in memory</translation>
    </message>
    <message>
        <source>pod 1 den</source>
        <translation>under 1 day</translation>
    </message>
    <message>
        <source>1–7 dní</source>
        <translation>1–7 days</translation>
    </message>
    <message>
        <source>1–4 týdny</source>
        <translation>1–4 weeks</translation>
    </message>
    <message>
        <source>déle</source>
        <translation>longer</translation>
    </message>
    <message>
        <source>nové</source>
        <translation>new</translation>
    </message>
    <message>
        <source>karty (dvojice v jednom směru)</source>
        <translation>cards (pairs in one direction)</translation>
    </message>
    <message>
        <source>strana %1</source>
        <translation>side %1</translation>
    </message>
    <message>
        <source>Dní v řadě s procvičováním: %1   ·   dnes odpovědí: %2, čas %3   ·   celkem odpovědí: %4, čas %5</source>
        <translation>Days in a row with practice: %1   ·   answers today: %2, time %3   ·   answers in all: %4, time %5</translation>
    </message>
    <message>
        <source>   ·   z počítačů: %1</source>
        <translation>   ·   from computers: %1</translation>
    </message>
    <message>
        <source>pokrok.png</source>
        <translation>progress.png</translation>
    </message>
    <message>
        <source>Obrázky PNG (*.png)</source>
        <translation>PNG pictures (*.png)</translation>
    </message>
    <message>
        <source>Historii odpovědí nelze otevřít, a tak ji nelze uložit.</source>
        <translation>The answer history cannot be opened, so it cannot be saved.</translation>
    </message>
    <message>
        <source>historie.csv</source>
        <translation>history.csv</translation>
    </message>
    <message>
        <source>Text CSV (*.csv)</source>
        <translation>CSV text (*.csv)</translation>
    </message>
    <message>
        <source>Obrázky nelze nakreslit: %1.</source>
        <translation>The charts cannot be drawn: %1.</translation>
    </message>
</context>
<context>
    <name>Prompts</name>
    <message>
        <source>Zkusit znovu</source>
        <translation>Try again</translation>
    </message>
    <message>
        <source>Uložit jinam...</source>
        <translation>Save elsewhere...</translation>
    </message>
    <message>
        <source>Zavřít bez uložení</source>
        <translation>Close without saving</translation>
    </message>
</context>
<context>
    <name>Reports</name>
    <message>
        <source>slovo:</source>
        <translation>word:</translation>
    </message>
    <message>
        <source>Četnost výběru slov: </source>
        <translation>Offers of each word</translation>
    </message>
    <message>
        <source>Četnost chybovosti slov: </source>
        <translation>Errors in each word</translation>
    </message>
    <message>
        <source>nab.:  [ %%%% ]</source>
        <translation>offers [    % ]</translation>
    </message>
    <message>
        <source>nab.:  chyb:  [ %%%% ]</source>
        <translation>offers wrong [    % ]</translation>
    </message>
</context>
<context>
    <name>ReviewHistory</name>
    <message>
        <source>Historie odpovědí %1 je poškozená (%2). Program ji odložil jako %3 a začíná novou.</source>
        <translation>The answer history %1 is damaged (%2). The program has set it aside as %3 and starts a new one.</translation>
    </message>
    <message>
        <source>Historii odpovědí %1 nelze použít: %2. Procvičování pokračuje bez ní, podle statistiky uložené ve slovníku.</source>
        <translation>The answer history %1 cannot be used: %2. The drill goes on without it, by the statistics kept in the dictionary.</translation>
    </message>
    <message>
        <source>Historii odpovědí nelze vést: chybí ovladač SQLite pro Qt (balíček libqt6sql6-sqlite). Procvičování pokračuje podle statistiky uložené ve slovníku.</source>
        <translation>The answer history cannot be kept: the SQLite driver for Qt is missing (package libqt6sql6-sqlite). The drill goes on by the statistics kept in the dictionary.</translation>
    </message>
    <message>
        <source>Historii odpovědí %1 zapsala novější verze programu (schéma %2); tato verze ji nemění a pokračuje bez ní.</source>
        <translation>The answer history %1 was written by a newer version of the program (schema %2); this version does not change it and goes on without it.</translation>
    </message>
    <message>
        <source>kontrola souboru našla poškozenou stránku</source>
        <translation>the check of the file found a damaged page</translation>
    </message>
</context>
<context>
    <name>RunMerko</name>
    <message>
        <source>Merko – program pro zkoušení slovíček.</source>
        <translation>Merko – a program for drilling vocabulary.</translation>
    </message>
    <message>
        <source>Zobrazí tuto nápovědu a skončí.</source>
        <translation>Shows this help and exits.</translation>
    </message>
    <message>
        <source>Zobrazí verzi programu a skončí.</source>
        <translation>Shows the program&apos;s version and exits.</translation>
    </message>
    <message>
        <source>soubor</source>
        <translation>file</translation>
    </message>
    <message>
        <source>Slovník (*.slv), který se otevře místo naposledy zvoleného; soubor jiného programu (*.kvtml, *.csv, *.tsv, *.txt) se převezme do nového slovníku, balíček Anki (*.apkg, *.colpkg) do slovníků s jeho opakováním.</source>
        <translation>A dictionary (*.slv) to open instead of the one chosen last; another program&apos;s file (*.kvtml, *.csv, *.tsv, *.txt) is taken over into a new dictionary, an Anki package (*.apkg, *.colpkg) into dictionaries with its reviews.</translation>
    </message>
    <message>
        <source>[soubor]</source>
        <translation>[file]</translation>
    </message>
    <message>
        <source>Přizpůsobí parametry paměti historii odpovědí (bez okna), vypíše, jak předpovídají, a skončí; nové parametry uloží, jen když předpovídají lépe.</source>
        <translation>Fits the memory parameters to the answer history (without a window), prints how well they predict, and exits; the new parameters are kept only when they predict better.</translation>
    </message>
</context>
<context>
    <name>SeparatedText</name>
    <message>
        <source>řádek %1</source>
        <translation>line %1</translation>
    </message>
    <message>
        <source>: chybí druhé pole</source>
        <translation>: the second field is missing</translation>
    </message>
    <message>
        <source>Soubor neobsahuje žádnou dvojici slov.</source>
        <translation>The file contains no pair of words.</translation>
    </message>
</context>
<context>
    <name>SettingsDialog</name>
    <message>
        <source> nabízet slova dle: </source>
        <translation> offer words by: </translation>
    </message>
    <message>
        <source>četnosti výběru</source>
        <translation>offer frequency</translation>
    </message>
    <message>
        <source>chybovosti</source>
        <translation>error rate</translation>
    </message>
    <message>
        <source>náhodně</source>
        <translation>at random</translation>
    </message>
    <message>
        <source>podle opakování</source>
        <translation>review schedule</translation>
    </message>
    <message>
        <source> nabízet slova : </source>
        <translation> offer words: </translation>
    </message>
    <message>
        <source>v češtině</source>
        <translation>in Czech</translation>
    </message>
    <message>
        <source>v jazyku</source>
        <translation>in the language</translation>
    </message>
    <message>
        <source> posouzení správnosti: </source>
        <translation> judging answers: </translation>
    </message>
    <message>
        <source>přesná shoda</source>
        <translation>exact match</translation>
    </message>
    <message>
        <source>procento shody</source>
        <translation>percentage match</translation>
    </message>
    <message>
        <source>považovat za   správné  při   shodě %% :</source>
        <translation>accept as right from a match of (%):</translation>
    </message>
    <message>
        <source>&amp;udržet v paměti %:</source>
        <translation>&amp;retention %:</translation>
    </message>
    <message>
        <source>&amp;nových za den:</source>
        <translation>&amp;new per day:</translation>
    </message>
    <message>
        <source>zobrazovat proc. kriterium</source>
        <translation>show the percentage criterion</translation>
    </message>
    <message>
        <source>zobrazovat  obrázek</source>
        <translation>show the picture</translation>
    </message>
    <message>
        <source>komentář zobrazit i při chybné odpovědi</source>
        <translation>show the comment after a wrong answer too</translation>
    </message>
    <message>
        <source>vyslovovat nabízené slovo (F4 znovu)</source>
        <translation>speak the offered word (F4 again)</translation>
    </message>
    <message>
        <source>vyslovit správnou odpověď po chybě</source>
        <translation>speak the right answer after a mistake</translation>
    </message>
    <message>
        <source>ukázat, kde se odpověď liší</source>
        <translation>show where the answer differs</translation>
    </message>
    <message>
        <source>slovník:</source>
        <translation>dictionary:</translation>
    </message>
    <message>
        <source>ulož</source>
        <translation>save</translation>
    </message>
    <message>
        <source>S&amp;ynchronizace...</source>
        <translation>S&amp;ync...</translation>
    </message>
    <message>
        <source>&amp;jazyk rozhraní:</source>
        <translation>&amp;language:</translation>
    </message>
    <message>
        <source>automaticky</source>
        <translation>automatic</translation>
    </message>
    <message>
        <source>(po restartu)</source>
        <translation>(after a restart)</translation>
    </message>
    <message>
        <source>nastavení:                                   </source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>&amp;Optimalizovat podle historie...</source>
        <translation>&amp;Optimise from history...</translation>
    </message>
    <message>
        <source>Obnovit &amp;výchozí</source>
        <translation>Restore &amp;defaults</translation>
    </message>
    <message>
        <source>Parametry paměti: vlastní (optimalizováno %1)</source>
        <translation>Memory parameters: your own (optimised %1)</translation>
    </message>
    <message>
        <source>Parametry paměti: výchozí</source>
        <translation>Memory parameters: defaults</translation>
    </message>
    <message>
        <source>Parametry paměti se přizpůsobují historii odpovědí...</source>
        <translation>Fitting the memory parameters to the answer history...</translation>
    </message>
    <message>
        <source>Zrušit</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>Speaker</name>
    <message>
        <source>Slova nelze vyslovit: služba speech-dispatcher neodpovídá nebo chybí. Nainstalujte balíčky speech-dispatcher, speech-dispatcher-espeak-ng a qt6-speech-speechd-plugin.</source>
        <translation>Words cannot be spoken: the speech-dispatcher service does not answer or is missing. Install the packages speech-dispatcher, speech-dispatcher-espeak-ng and qt6-speech-speechd-plugin.</translation>
    </message>
    <message>
        <source>Hlasový výstup déle než 5 sekund neodpovídá; slova se teď nevysloví.</source>
        <translation>The speech output has not answered for more than 5 seconds; words will not be spoken now.</translation>
    </message>
    <message>
        <source>Hlasový výstup ohlásil chybu; slova se teď nevysloví.</source>
        <translation>The speech output reported an error; words will not be spoken now.</translation>
    </message>
    <message>
        <source>Pro %1 není nainstalován hlas.</source>
        <translation>No voice is installed for %1.</translation>
    </message>
</context>
<context>
    <name>SyncFolderDialog</name>
    <message>
        <source>Synchronizace</source>
        <translation>Synchronisation</translation>
    </message>
    <message>
        <source>Složka, kterou synchronizační program (například Syncthing) sdílí mezi vašimi počítači. Merko do ní zapisuje odpovědi tohoto počítače (do podsložky merko/odpovedi) a čte odpovědi ostatních, takže plán opakování je na všech počítačích stejný. Slovníky uložené v ní se procvičují jako kdekoli jinde. Prázdné pole: bez synchronizace.</source>
        <translation>A folder that a sync program (for example Syncthing) shares between your computers. Merko writes this computer&apos;s answers into it (into the subfolder merko/odpovedi) and reads the answers of the others, so that the review schedule is the same on every computer. Dictionaries kept in it are drilled as anywhere else. An empty field: no synchronisation.</translation>
    </message>
    <message>
        <source>&amp;složka:</source>
        <translation>&amp;folder:</translation>
    </message>
    <message>
        <source>&amp;Nesynchronizovat</source>
        <translation>&amp;Do not synchronise</translation>
    </message>
    <message>
        <source>Zrušit</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>Synchronisation</name>
    <message>
        <source>Synchronizace neběží: %1</source>
        <translation>Synchronisation is not running: %1</translation>
    </message>
    <message>
        <source>Kopii %1, kterou synchronizační program uložil vedle slovníku %2, se nepodařilo přečíst, a tak zůstává, kde je: %3</source>
        <translation>The copy %1 that the sync program saved beside the dictionary %2 could not be read, so it stays where it is: %3</translation>
    </message>
    <message>
        <source> Kopii se nepodařilo smazat; smažte ji prosím sami.</source>
        <translation> The copy could not be deleted; please delete it yourself.</translation>
    </message>
    <message>
        <source>Slovník %1 se zatím nepodařilo zapsat podle odpovědí ze všech počítačů: %2</source>
        <translation>The dictionary %1 could not be written with the answers of all computers yet: %2</translation>
    </message>
    <message>
        <source>Četnosti a chybovosti slovníku %1 se lišily od odpovědí všech počítačů (soubor byl změněn jinak než Merkem); ve synchronizované složce se řídí odpověďmi všech počítačů.</source>
        <translation>The offer and error counts of the dictionary %1 differed from the answers of all computers (the file was changed by something other than Merko); in the synchronised folder they follow the answers of all computers.</translation>
    </message>
    <message>
        <source>Kopie slovníku %1 od synchronizačního programu jsou sloučeny: přidaných dvojic %2. Dvojic, které se do slovníku nevešly: %3; kopie proto zůstávají.</source>
        <translation>The sync program&apos;s copies of the dictionary %1 are merged: pairs added %2. Pairs that did not fit into the dictionary: %3; the copies therefore stay.</translation>
    </message>
    <message>
        <source>Slovník %1 se změnil na dvou počítačích zároveň; kopie, které synchronizační program uložil vedle něj, jsou sloučeny (přidaných dvojic %2).</source>
        <translation>The dictionary %1 changed on two computers at once; the copies the sync program saved beside it are merged (pairs added %2).</translation>
    </message>
</context>
<context>
    <name>TextFile</name>
    <message>
        <source>na disku není dost místa</source>
        <translation>there is not enough space on the disk</translation>
    </message>
    <message>
        <source>byla překročena disková kvóta</source>
        <translation>the disk quota was exceeded</translation>
    </message>
    <message>
        <source>soubor by překročil největší povolenou velikost</source>
        <translation>the file would exceed the largest allowed size</translation>
    </message>
    <message>
        <source>disk je jen pro čtení</source>
        <translation>the disk is read-only</translation>
    </message>
    <message>
        <source>přístup byl odepřen</source>
        <translation>permission denied</translation>
    </message>
    <message>
        <source>chyba vstupu nebo výstupu zařízení (není disk odpojen?)</source>
        <translation>input or output error of the device (is the disk unplugged?)</translation>
    </message>
    <message>
        <source>Soubor %1 je příliš velký (%2 MB). Program čte soubory nejvýše do %3 MB; soubor zůstal beze změny.</source>
        <translation>The file %1 is too large (%2 MB). The program reads files of at most %3 MB; the file was left unchanged.</translation>
    </message>
</context>
<context>
    <name>VocabularyFile</name>
    <message>
        <source>Soubor %1 není slovník: %2 Nebyl načten a zůstal beze změny.</source>
        <translation>The file %1 is not a dictionary: %2 It was not loaded and was left unchanged.</translation>
    </message>
    <message>
        <source>obsahuje binární data (bajty s hodnotou 0).</source>
        <translation>contains binary data (bytes of value 0).</translation>
    </message>
    <message>
        <source>Soubor %1 obsahuje více než %2 dvojic slov, program jich pojme nejvýše %2. Soubor nebyl načten a zůstal beze změny.</source>
        <translation>The file %1 contains more than %2 pairs of words, the program holds at most %2. The file was not loaded and was left unchanged.</translation>
    </message>
    <message>
        <source>žádný jeho řádek neobsahuje dvojici slov oddělených znakem &apos;/&apos;.</source>
        <translation>none of its lines contains a pair of words separated by the character &apos;/&apos;.</translation>
    </message>
</context>
<context>
    <name>VocabularyStore</name>
    <message>
        <source>Odpovědi na dvojici „%1“ program počítá, ale do slovníku je uložit nemůže: její řádek nemá místo pro statistiku (znak &apos;@&apos; stojí před &apos;/&apos;, nebo za ním je text bez čárek). Opravte řádek v editoru.</source>
        <translation>The program counts the answers to the pair “%1”, but cannot save them into the dictionary: its line has no room for statistics (the character &apos;@&apos; stands before &apos;/&apos;, or is followed by text without commas). Correct the line in the editor.</translation>
    </message>
    <message>
        <source>Slovník %1 obsahuje znaky, které kódování windows-1250 nemá; od teď je proto uložen v kódování UTF-8.</source>
        <translation>The dictionary %1 contains characters that the windows-1250 encoding lacks; from now on it is therefore saved in UTF-8.</translation>
    </message>
    <message>
        <source> (slov: %1)</source>
        <translation> (words: %1)</translation>
    </message>
    <message>
        <source>Soubor slov dosud nebyl načten nebo je prázdný.</source>
        <translation>The word file has not been loaded yet or is empty.</translation>
    </message>
    <message>
        <source> žádný slovník dosud nebyl načten </source>
        <translation> no dictionary loaded yet </translation>
    </message>
</context>
<context>
    <name>WorkProgress</name>
    <message>
        <source>Zrušit</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Ruší se...</source>
        <translation>Cancelling...</translation>
    </message>
</context>
<context>
    <name>WriteJournal</name>
    <message>
        <source>složku nelze vytvořit</source>
        <translation>the folder cannot be created</translation>
    </message>
    <message>
        <source>soubor lze zapsat jen přímo na jeho místo, a to bez deníku zápisů (%1) není bezpečné</source>
        <translation>the file can only be written straight into its place, and without a journal of writes (%1) that is not safe</translation>
    </message>
</context>
</TS>

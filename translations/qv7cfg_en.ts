<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="fr_FR">
<context>
    <name>FileDialog</name>
    <message>
        <source>%1 existe déjà.
Voulez-vous le remplacer ?</source>
        <translation>%1 already exists.
Do you want to replace it?</translation>
    </message>
</context>
<context>
    <name>Help</name>
    <message>
        <source>Clavier :
  Tab, Maj+Tab : contrôle suivant, précédent
  Flèches : autre choix d&apos;un groupe ; Espace : appuie sur le bouton
  Ctrl+Tab, Ctrl+Page suiv. : page suivante
  Ctrl+Maj+Tab, Ctrl+Page préc. : page précédente
  Ctrl+Z, Ctrl+Y : annuler, rétablir une modification des pages
  Ctrl+D : les modifications non écrites ; Ctrl+P : imprimer la fiche
  F9 : le moniteur de trames ; F1 : cette aide

« Recheche du materiel USB » trouve l&apos;indicateur et lit ses paramètres ; « Lecture complète » les lit à nouveau, « Ecriture complète » écrit ceux des pages.
Les fichiers de paramètres (.QV) se chargent et s&apos;enregistrent sur la page Identification ; la courbe de linéarisation s&apos;édite sur la page Traitement.
Le logo en haut à droite (Entrée ou Espace) ouvre la boîte « A propos », où se choisit la langue.
La ligne d&apos;état dit où en est l&apos;indicateur ; un texte coupé se lit en entier dans son info-bulle.</source>
        <translation>Keyboard:
  Tab, Shift+Tab: next, previous control
  Arrows: another choice of a group; Space: presses the button
  Ctrl+Tab, Ctrl+PgDown: next page
  Ctrl+Shift+Tab, Ctrl+PgUp: previous page
  Ctrl+Z, Ctrl+Y: undo, redo a change on the pages
  Ctrl+D: the changes not written; Ctrl+P: print the sheet
  F9: the frame monitor; F1: this help

“Scan USB Device” finds the indicator and reads its parameters; “Read all” reads them again, “Write all” writes those of the pages.
Parameter files (.QV) are loaded and saved on the Identification page; the linearisation curve is edited on the Processing page.
The logo at the top right (Enter or Space) opens the About box, where the language is chosen.
The status line says how the indicator is doing; a cut text reads whole in its tooltip.</translation>
    </message>
</context>
<context>
    <name>LinCurve</name>
    <message>
        <source>Erreur dans la table</source>
        <translation>Error in the table</translation>
    </message>
    <message>
        <source>Trop de segments pour l&apos;appareil : 32 points au maximum</source>
        <translation>Too many segments for the device: 32 points at most</translation>
    </message>
    <message>
        <source>Point %1 : hors de -25 ... 125 %</source>
        <translation>Point %1: outside -25 ... 125 %</translation>
    </message>
    <message>
        <source>Point %1 : X ne croît pas</source>
        <translation>Point %1: X does not rise</translation>
    </message>
</context>
<context>
    <name>LinFile</name>
    <message>
        <source>&apos;%1&apos; n&apos;est pas une valeur à virgule flottante correcte</source>
        <translation>&apos;%1&apos; is not a valid floating-point value</translation>
    </message>
    <message>
        <source>&apos;%1&apos; n&apos;est pas une valeur entière correcte</source>
        <translation>&apos;%1&apos; is not a valid integer value</translation>
    </message>
    <message>
        <source>Trop de segments</source>
        <translation>Too many segments</translation>
    </message>
    <message>
        <source>Attention : Nombre de segment incorrect</source>
        <translation>Warning: wrong number of segments</translation>
    </message>
    <message>
        <source>Trop peu de points : il en faut au moins deux</source>
        <translation>Too few points: at least two are needed</translation>
    </message>
    <message>
        <source>Valeur trop longue : plus de 80 caractères</source>
        <translation>Value too long: more than 80 characters</translation>
    </message>
</context>
<context>
    <name>LineStatus</name>
    <message>
        <source>du registre %1</source>
        <translation>register %1</translation>
    </message>
    <message>
        <source>des registres %1–%2</source>
        <translation>registers %1–%2</translation>
    </message>
    <message>
        <source>lecture %1</source>
        <translation>reading %1</translation>
    </message>
    <message>
        <source>écriture %1</source>
        <translation>writing %1</translation>
    </message>
    <message>
        <source>L&apos;appareil ne répond pas</source>
        <translation>The device does not answer</translation>
    </message>
    <message>
        <source>L&apos;appareil ne répond pas (%1)</source>
        <translation>The device does not answer (%1)</translation>
    </message>
    <message>
        <source>%1 ; dernière réponse : %2</source>
        <translation>%1; last answer: %2</translation>
    </message>
    <message>
        <source>L&apos;indicateur refuse la requête : %1</source>
        <translation>The indicator refuses the request: %1</translation>
    </message>
    <message>
        <source>L&apos;indicateur refuse la requête (%1) : %2</source>
        <translation>The indicator refuses the request (%1): %2</translation>
    </message>
    <message>
        <source>L&apos;appareil USB est connecté.</source>
        <translation>The USB device is connected.</translation>
    </message>
    <message>
        <source>L&apos;appareil USB est connecté, mais l&apos;indicateur ne répond pas : vérifier qu&apos;il est alimenté et relié au pont USB.</source>
        <translation>The USB device is connected, but the indicator does not answer: check that it is powered and wired to the USB bridge.</translation>
    </message>
    <message>
        <source>L&apos;appareil USB est connecté, mais l&apos;indicateur refuse les requêtes (voir la ligne d&apos;état).</source>
        <translation>The USB device is connected, but the indicator refuses the requests (see the status line).</translation>
    </message>
</context>
<context>
    <name>PageKit</name>
    <message>
        <source>%1 : nombre entier de %2 à %3</source>
        <translation>%1: whole number from %2 to %3</translation>
    </message>
    <message>
        <source>%1 : nombre de %2 à %3</source>
        <translation>%1: number from %2 to %3</translation>
    </message>
    <message>
        <source>nombre entier de points d&apos;affichage : le point décimal se règle sur la page Affichage, 9.000 se saisit 9000</source>
        <translation>whole number of display counts: the decimal point is set on the Display page, 9.000 is entered as 9000</translation>
    </message>
    <message>
        <source>une décimale au plus</source>
        <translation>at most one decimal</translation>
    </message>
    <message>
        <source>deux décimales au plus</source>
        <translation>at most two decimals</translation>
    </message>
    <message>
        <source>points d&apos;affichage</source>
        <translation>display counts</translation>
    </message>
    <message>
        <source>de %1 à %2 %3</source>
        <translation>from %1 to %2 %3</translation>
    </message>
    <message>
        <source>code %1 (aucun choix)</source>
        <translation>code %1 (no such choice)</translation>
    </message>
</context>
<context>
    <name>ParamFile</name>
    <message>
        <source>  Fichier incorrect !  </source>
        <translation>  Incorrect file!  </translation>
    </message>
    <message>
        <source>Le fichier ne correspond pas à ce type d&apos;appareil</source>
        <translation>The file does not match this type of device</translation>
    </message>
    <message>
        <source>Le fichier contient %1 octets ; un fichier de paramètres en contient 200.</source>
        <translation>The file holds %1 bytes; a parameter file holds 200.</translation>
    </message>
    <message>
        <source>Le fichier ne commence pas par « [QV7] File V1.0-RKWB » : ce n&apos;est pas un fichier de paramètres.</source>
        <translation>The file does not start with &quot;[QV7] File V1.0-RKWB&quot;: it is no parameter file.</translation>
    </message>
</context>
<context>
    <name>RunTimeError</name>
    <message>
        <source>Erreur de vérification d&apos;étendue</source>
        <translation>Range check error</translation>
    </message>
    <message>
        <source>Débordement d&apos;entier</source>
        <translation>Integer overflow</translation>
    </message>
    <message>
        <source>Impossible d&apos;ouvrir le fichier %1</source>
        <translation>Cannot open the file %1</translation>
    </message>
    <message>
        <source>Impossible de créer le fichier %1</source>
        <translation>Cannot create the file %1</translation>
    </message>
    <message>
        <source>Le fichier %1 n&apos;est pas un fichier ordinaire</source>
        <translation>The file %1 is not a regular file</translation>
    </message>
    <message>
        <source>Le fichier %1 est trop grand</source>
        <translation>The file %1 is too large</translation>
    </message>
    <message>
        <source>Fichier introuvable</source>
        <translation>File not found</translation>
    </message>
    <message>
        <source>Accès au fichier refusé</source>
        <translation>File access denied</translation>
    </message>
    <message>
        <source>Disque plein</source>
        <translation>Disk full</translation>
    </message>
    <message>
        <source>Erreur E/S %1</source>
        <translation>I/O error %1</translation>
    </message>
</context>
<context>
    <name>SendChecks</name>
    <message>
        <source>%1 : le code %2 n&apos;est pas proposé par cet appareil. Rien n&apos;a été écrit.</source>
        <translation>%1: code %2 is not offered by this indicator. Nothing was written.</translation>
    </message>
    <message>
        <source>%1 : la valeur %2 ne tient pas dans son registre. Rien n&apos;a été écrit.</source>
        <translation>%1: the value %2 does not fit its register. Nothing was written.</translation>
    </message>
</context>
<context>
    <name>Sheet</name>
    <message>
        <source>Bits inutilisés (%1)</source>
        <translation>Unused bits (%1)</translation>
    </message>
    <message>
        <source>Bits inutilisés</source>
        <translation>Unused bits</translation>
    </message>
    <message>
        <source>Autres bits du record</source>
        <translation>Other bits of the record</translation>
    </message>
    <message>
        <source>Courbe de linéarisation</source>
        <translation>Linearisation curve</translation>
    </message>
    <message>
        <source>Linéarisation active : table non fournie</source>
        <translation>Linearisation on: no table given</translation>
    </message>
    <message>
        <source>Point</source>
        <translation>Point</translation>
    </message>
    <message>
        <source>la table de l&apos;indicateur</source>
        <translation>the indicator&apos;s table</translation>
    </message>
    <message>
        <source>%1 points, de %2</source>
        <translation>%1 points, from %2</translation>
    </message>
    <message>
        <source>Modèle</source>
        <translation>Model</translation>
    </message>
    <message>
        <source>Numéro de série</source>
        <translation>Serial number</translation>
    </message>
    <message>
        <source>inconnu (fichier de paramètres)</source>
        <translation>unknown (parameter file)</translation>
    </message>
    <message>
        <source>Mot de type</source>
        <translation>Type word</translation>
    </message>
    <message>
        <source>Date (heure locale)</source>
        <translation>Date (local time)</translation>
    </message>
    <message>
        <source>Date (UTC)</source>
        <translation>Date (UTC)</translation>
    </message>
    <message>
        <source>Version du programme</source>
        <translation>Program version</translation>
    </message>
    <message>
        <source>SHA-256 des 200 octets</source>
        <translation>SHA-256 of the 200 bytes</translation>
    </message>
    <message>
        <source>Fiche de configuration</source>
        <translation>Configuration sheet</translation>
    </message>
    <message>
        <source>Paramètre</source>
        <translation>Parameter</translation>
    </message>
    <message>
        <source>Valeur</source>
        <translation>Value</translation>
    </message>
    <message>
        <source>Étendue</source>
        <translation>Range</translation>
    </message>
    <message>
        <source>Alarmes</source>
        <translation>Alarms</translation>
    </message>
    <message>
        <source>valeur pas encore écrite dans l&apos;indicateur</source>
        <translation>value not yet written to the indicator</translation>
    </message>
    <message>
        <source>valeur différente de %1</source>
        <translation>value differs from %1</translation>
    </message>
    <message>
        <source>Configuré par :</source>
        <translation>Configured by:</translation>
    </message>
    <message>
        <source>Vérifié par :</source>
        <translation>Checked by:</translation>
    </message>
    <message>
        <source>Date :</source>
        <translation>Date:</translation>
    </message>
    <message>
        <source>Page %1 / %2</source>
        <translation>Page %1 of %2</translation>
    </message>
    <message>
        <source>Linéarisation active : table non lue dans l&apos;indicateur</source>
        <translation>Linearisation on: table not read from the indicator</translation>
    </message>
    <message>
        <source>Entrée (%)</source>
        <translation>Input (%)</translation>
    </message>
    <message>
        <source>Affichage (%)</source>
        <translation>Display (%)</translation>
    </message>
</context>
<context>
    <name>TAboutBox</name>
    <message>
        <source>Système : %1</source>
        <translation>System: %1</translation>
    </message>
    <message>
        <source>Version n° : %1 %2</source>
        <translation>OS version: %1 %2</translation>
    </message>
    <message>
        <source>Langue :</source>
        <translation>Language:</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>A propos ...</source>
        <translation>About ...</translation>
    </message>
    <message>
        <source>A propos de ...</source>
        <translation>About ...</translation>
    </message>
    <message>
        <source>ZEZOR - Français</source>
        <translation>ZEZOR - English</translation>
    </message>
    <message>
        <source>Version : %1</source>
        <translation>Version: %1</translation>
    </message>
    <message>
        <source>Programmeur : %1</source>
        <translation>Programmer: %1</translation>
    </message>
    <message>
        <source>Équipe qv7cfg</source>
        <translation>qv7cfg team</translation>
    </message>
    <message>
        <source>Moniteur de trames (F9)</source>
        <translation>Frame monitor (F9)</translation>
    </message>
</context>
<context>
    <name>TCustomTorvik</name>
    <message>
        <source>Fichiers indicateur (*.QV)|*.QV|Tous les fichiers (*.*)|*.*</source>
        <translation>Indicator files (*.QV)|*.QV|All files (*.*)|*.*</translation>
    </message>
    <message>
        <source>sauve un fichier indicateur</source>
        <translation>Save an indicator file</translation>
    </message>
    <message>
        <source>Charge un fichier indicateur</source>
        <translation>Load an indicator file</translation>
    </message>
</context>
<context>
    <name>TDessinForm</name>
    <message>
        <source>Lecture</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>Ecriture</source>
        <translation>Write</translation>
    </message>
    <message>
        <source>Points:</source>
        <translation>Points:</translation>
    </message>
    <message>
        <source>Linéarisation</source>
        <translation>Linearisation</translation>
    </message>
    <message>
        <source>Editeur de linéarisation</source>
        <translation>Linearisation editor</translation>
    </message>
    <message>
        <source>Fichiers de linéarisation (*.LIN)|*.LIN|Tous les fichiers (*.*)|*.*</source>
        <translation>Linearisation files (*.LIN)|*.LIN|All files (*.*)|*.*</translation>
    </message>
    <message>
        <source>Chargement d&apos;un fichier</source>
        <translation>Open a file</translation>
    </message>
    <message>
        <source>La courbe a %1 points : l&apos;appareil n&apos;en prend que %2, elle ne pourra pas lui être écrite telle quelle.</source>
        <translation>The curve has %1 points: the indicator takes only %2, so it cannot be written to it as it is.</translation>
    </message>
    <message>
        <source>Les valeurs X de la courbe ne croissent pas au point %1.</source>
        <translation>The X values of the curve do not rise at point %1.</translation>
    </message>
    <message>
        <source>Sauvegarde d&apos;un fichier</source>
        <translation>Save a file</translation>
    </message>
    <message>
        <source>Ecrire la courbe par défaut à la place de la table de l&apos;indicateur ?</source>
        <translation>Write the default curve over the indicator&apos;s table?</translation>
    </message>
    <message>
        <source>Editeur de linéarisation - courbe par défaut</source>
        <translation>Linearisation editor - default curve</translation>
    </message>
    <message>
        <source>Editeur de linéarisation - courbe lue dans l&apos;indicateur</source>
        <translation>Linearisation editor - curve read from the indicator</translation>
    </message>
    <message>
        <source>Editeur de linéarisation - courbe d&apos;après des mesures</source>
        <translation>Linearisation editor - curve from measurements</translation>
    </message>
    <message>
        <source>%1 (modifiée)</source>
        <translation>%1 (edited)</translation>
    </message>
    <message>
        <source>Abandonner les modifications de la courbe ?</source>
        <translation>Discard the changes to the curve?</translation>
    </message>
    <message>
        <source>Point %1, colonne Y : %2 est hors de l&apos;étendue %3 … %4.</source>
        <translation>Point %1, column Y: %2 is outside the range %3 … %4.</translation>
    </message>
    <message>
        <source>Point %1, colonne X : %2 est hors de l&apos;étendue %3 … %4.</source>
        <translation>Point %1, column X: %2 is outside the range %3 … %4.</translation>
    </message>
    <message>
        <source>Point %1, colonne X : %2 doit rester entre %3 et %4, les X croissant d&apos;un point au suivant.</source>
        <translation>Point %1, column X: %2 must stay between %3 and %4, as X rises from one point to the next.</translation>
    </message>
    <message>
        <source>Point %1, colonne %2 : « %3 » n&apos;est pas un nombre.</source>
        <translation>Point %1, column %2: &quot;%3&quot; is not a number.</translation>
    </message>
</context>
<context>
    <name>TDiffForm</name>
    <message>
        <source>Mot de type</source>
        <translation>Type word</translation>
    </message>
    <message>
        <source>Paramètre</source>
        <translation>Parameter</translation>
    </message>
    <message>
        <source>Différences</source>
        <translation>Differences</translation>
    </message>
    <message>
        <source>Comparer à un fichier…</source>
        <translation>Compare with a file…</translation>
    </message>
    <message>
        <source>Fermer</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Indicateur</source>
        <translation>Indicator</translation>
    </message>
    <message>
        <source>Modifié</source>
        <translation>Edited</translation>
    </message>
    <message>
        <source>Aucune modification non écrite.</source>
        <translation>No change waiting to be written.</translation>
    </message>
    <message>
        <source>Modifications non écrites :</source>
        <translation>Changes not written:</translation>
    </message>
    <message>
        <source>Fichier</source>
        <translation>File</translation>
    </message>
    <message>
        <source>%1 : identique à l&apos;indicateur.</source>
        <translation>%1: the same as the indicator.</translation>
    </message>
    <message>
        <source>%1 diffère de l&apos;indicateur :</source>
        <translation>%1 differs from the indicator:</translation>
    </message>
    <message>
        <source>Comparer à un fichier indicateur</source>
        <translation>Compare with an indicator file</translation>
    </message>
    <message>
        <source>%1 (page masquée)</source>
        <translation>%1 (hidden page)</translation>
    </message>
</context>
<context>
    <name>TDraw</name>
    <message>
        <source>Zoom</source>
        <translation>Zoom</translation>
    </message>
    <message>
        <source>Centre</source>
        <translation>Center</translation>
    </message>
    <message>
        <source>Plus</source>
        <translation>Zoom in</translation>
    </message>
    <message>
        <source>Moins</source>
        <translation>Zoom out</translation>
    </message>
    <message>
        <source>Efface le segment</source>
        <translation>Delete segment</translation>
    </message>
    <message>
        <source>Insère un segment</source>
        <translation>Insert segment</translation>
    </message>
</context>
<context>
    <name>TEditCommands</name>
    <message>
        <source>Annuler</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>Rétablir</source>
        <translation>Redo</translation>
    </message>
    <message>
        <source>Revenir aux valeurs de l&apos;indicateur</source>
        <translation>Revert to the indicator&apos;s values</translation>
    </message>
    <message>
        <source>Différences…</source>
        <translation>Differences…</translation>
    </message>
    <message>
        <source>Abandonner 1 modification ?</source>
        <translation>Discard 1 change?</translation>
    </message>
    <message>
        <source>Abandonner %1 modifications ?</source>
        <translation>Discard %1 changes?</translation>
    </message>
    <message>
        <source>Modifications non écrites</source>
        <translation>Changes not written</translation>
    </message>
</context>
<context>
    <name>THIDSerial</name>
    <message>
        <source>USB n°%1 :  %2  %3  {%4}</source>
        <translation>USB #%1:  %2  %3  {%4}</translation>
    </message>
    <message>
        <source>Impossible d&apos;ouvrir le appareil USB n°%1</source>
        <translation>Cannot open USB device #%1</translation>
    </message>
</context>
<context>
    <name>TMainForm</name>
    <message>
        <source>Configuration  des indicateurs Zeq</source>
        <translation>Zeq indicator configuration</translation>
    </message>
    <message>
        <source>Connexion</source>
        <translation>Connection</translation>
    </message>
    <message>
        <source>Identification</source>
        <translation>Identification</translation>
    </message>
    <message>
        <source>Configuration</source>
        <translation>Configuration</translation>
    </message>
    <message>
        <source>Entrée</source>
        <translation>Input</translation>
    </message>
    <message>
        <source>Traitement</source>
        <translation>Processing</translation>
    </message>
    <message>
        <source>Affichage</source>
        <translation>Display</translation>
    </message>
    <message>
        <source>Alarme 1</source>
        <translation>Alarm 1</translation>
    </message>
    <message>
        <source>Alarme 2</source>
        <translation>Alarm 2</translation>
    </message>
    <message>
        <source>Alarme 3</source>
        <translation>Alarm 3</translation>
    </message>
    <message>
        <source>Alarme 4</source>
        <translation>Alarm 4</translation>
    </message>
    <message>
        <source>Sortie</source>
        <translation>Output</translation>
    </message>
    <message>
        <source>Connecter la prise USB à l&apos;arrière de l&apos;appareil</source>
        <translation>Plug the USB cable into the back of the device</translation>
    </message>
    <message>
        <source>Lecture complète de l&apos;indicateur</source>
        <translation>Read all from the indicator</translation>
    </message>
    <message>
        <source>Ecriture complète de l&apos;indicateur</source>
        <translation>Write all to the indicator</translation>
    </message>
    <message>
        <source>Quitter le programme</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>%1 - N° %2</source>
        <translation>%1 - No. %2</translation>
    </message>
    <message>
        <source>USB N°%1</source>
        <translation>USB No. %1</translation>
    </message>
    <message>
        <source>Utilisé par un autre programme (pid %1)</source>
        <translation>In use by another program (pid %1)</translation>
    </message>
    <message>
        <source>Utilisé par un autre programme</source>
        <translation>In use by another program</translation>
    </message>
    <message>
        <source>Déconnexion</source>
        <translation>Disconnected</translation>
    </message>
    <message>
        <source>Ecriture des paramètres</source>
        <translation>Writing parameters</translation>
    </message>
    <message>
        <source>Paramètres écrits</source>
        <translation>Parameters written</translation>
    </message>
    <message>
        <source>Lecture des paramètres</source>
        <translation>Reading parameters</translation>
    </message>
    <message>
        <source>Fichier non enregistré : %1</source>
        <translation>File not saved: %1</translation>
    </message>
    <message>
        <source>Fichier enregistré : %1</source>
        <translation>File saved: %1</translation>
    </message>
    <message>
        <source>Une écriture vers l&apos;indicateur est en cours : attendez sa fin pour charger un fichier.</source>
        <translation>A write to the indicator is under way: wait for it to end before loading a file.</translation>
    </message>
    <message>
        <source>Fichier non chargé : %1</source>
        <translation>File not loaded: %1</translation>
    </message>
    <message>
        <source>Fichier chargé : %1</source>
        <translation>File loaded: %1</translation>
    </message>
    <message>
        <source>Lecture de la courbe</source>
        <translation>Reading the curve</translation>
    </message>
    <message>
        <source>Ecriture de la courbe</source>
        <translation>Writing the curve</translation>
    </message>
    <message>
        <source>Courbe écrite</source>
        <translation>Curve written</translation>
    </message>
    <message>
        <source>Courbe lue</source>
        <translation>Curve read</translation>
    </message>
    <message>
        <source>1 modification non écrite</source>
        <translation>1 change not written</translation>
    </message>
    <message>
        <source>%1 modifications non écrites</source>
        <translation>%1 changes not written</translation>
    </message>
    <message>
        <source>Fichier enregistré : %1 (1 modification non écrite comprise)</source>
        <translation>File saved: %1 (1 unwritten change included)</translation>
    </message>
    <message>
        <source>Fichier enregistré : %1 (%2 modifications non écrites comprises)</source>
        <translation>File saved: %1 (%2 unwritten changes included)</translation>
    </message>
    <message>
        <source>Paramètres non écrits</source>
        <translation>Parameters not written</translation>
    </message>
    <message>
        <source>Ecriture</source>
        <translation>Write</translation>
    </message>
    <message>
        <source>1 modification sur une page masquée : l&apos;écrire ?</source>
        <translation>1 change on a hidden page: write it?</translation>
    </message>
    <message>
        <source>%1 modifications sur des pages masquées : les écrire ?</source>
        <translation>%1 changes on hidden pages: write them?</translation>
    </message>
</context>
<context>
    <name>TMesuresForm</name>
    <message>
        <source>&apos;%1&apos; n&apos;est pas un nombre</source>
        <translation>&apos;%1&apos; is not a number</translation>
    </message>
    <message>
        <source>il faut deux colonnes (entrée, sortie)</source>
        <translation>two columns are needed (input, output)</translation>
    </message>
    <message>
        <source>%1 est hors de -25 ... 125 %</source>
        <translation>%1 is outside -25 ... 125 %</translation>
    </message>
    <message>
        <source>même entrée que la ligne %1 avec une autre sortie</source>
        <translation>same input as line %1 with another output</translation>
    </message>
    <message>
        <source>Il faut au moins deux mesures d&apos;entrées différentes</source>
        <translation>At least two measurements of different inputs are needed</translation>
    </message>
    <message>
        <source>plus de %1 mesures</source>
        <translation>more than %1 measurements</translation>
    </message>
    <message>
        <source>Ligne %1 : %2</source>
        <translation>Line %1: %2</translation>
    </message>
    <message>
        <source>Courbe d&apos;après des mesures</source>
        <translation>Curve from measurements</translation>
    </message>
    <message>
        <source>Charger...</source>
        <translation>Load...</translation>
    </message>
    <message>
        <source>Mesures d&apos;un fichier</source>
        <translation>Measurements from a file</translation>
    </message>
    <message>
        <source>Racine carrée</source>
        <translation>Square root</translation>
    </message>
    <message>
        <source>Cuve cylindrique horizontale</source>
        <translation>Horizontal cylindrical tank</translation>
    </message>
    <message>
        <source>Cuve sphérique</source>
        <translation>Spherical tank</translation>
    </message>
    <message>
        <source>Points :</source>
        <translation>Points:</translation>
    </message>
    <message>
        <source>Hors mesures</source>
        <translation>Off the data</translation>
    </message>
    <message>
        <source>Les sorties des points peuvent quitter les mesures pour partager l&apos;écart ; le premier et le dernier point restent sur les mesures.</source>
        <translation>The outputs of the points may leave the measurements to share the deviation; the first and the last point stay on the measurements.</translation>
    </message>
    <message>
        <source>Annuler</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Chargez un tableau de mesures (entrée %, sortie %) ou choisissez une forme.</source>
        <translation>Load a table of measurements (input %, output %) or choose a shape.</translation>
    </message>
    <message>
        <source>%1 mesures, %2 points : écart maximal %3 % (à %4 %)
%5 points répartis régulièrement : %6 %</source>
        <translation>%1 measurements, %2 points: largest deviation %3 % (at %4 %)
%5 evenly spread points: %6 %</translation>
    </message>
    <message>
        <source>Chargement de mesures</source>
        <translation>Open measurements</translation>
    </message>
    <message>
        <source>Tableaux de mesures (*.csv;*.txt)|*.csv;*.txt|Tous les fichiers (*.*)|*.*</source>
        <translation>Measurement tables (*.csv;*.txt)|*.csv;*.txt|All files (*.*)|*.*</translation>
    </message>
</context>
<context>
    <name>TMiniModbus</name>
    <message>
        <source>fonction illégale</source>
        <translation>illegal function</translation>
    </message>
    <message>
        <source>adresse de données illégale</source>
        <translation>illegal data address</translation>
    </message>
    <message>
        <source>valeur de donnée illégale</source>
        <translation>illegal data value</translation>
    </message>
    <message>
        <source>défaillance de l&apos;appareil</source>
        <translation>slave device failure</translation>
    </message>
    <message>
        <source>acquittement</source>
        <translation>acknowledge</translation>
    </message>
    <message>
        <source>appareil occupé</source>
        <translation>slave device busy</translation>
    </message>
    <message>
        <source>erreur de parité mémoire</source>
        <translation>memory parity error</translation>
    </message>
    <message>
        <source>passerelle indisponible</source>
        <translation>gateway path unavailable</translation>
    </message>
    <message>
        <source>pas de réponse derrière la passerelle</source>
        <translation>gateway target device failed to respond</translation>
    </message>
    <message>
        <source>exception inconnue</source>
        <translation>unknown exception</translation>
    </message>
    <message>
        <source>CRC erroné</source>
        <translation>bad CRC</translation>
    </message>
    <message>
        <source>réponse d&apos;une autre adresse</source>
        <translation>answer from another slave address</translation>
    </message>
    <message>
        <source>exception %1, %2</source>
        <translation>exception %1, %2</translation>
    </message>
    <message>
        <source>fonction inattendue</source>
        <translation>wrong function</translation>
    </message>
    <message>
        <source>longueur inattendue</source>
        <translation>wrong length</translation>
    </message>
    <message>
        <source>réponse périmée</source>
        <translation>stale answer</translation>
    </message>
    <message>
        <source>réponse refusée</source>
        <translation>answer refused</translation>
    </message>
    <message>
        <source>N° %1</source>
        <translation>No. %1</translation>
    </message>
    <message>
        <source>réponse au N° %1</source>
        <translation>answers no. %1</translation>
    </message>
    <message>
        <source>non sollicitée</source>
        <translation>unsolicited</translation>
    </message>
    <message>
        <source>tardive, rejetée</source>
        <translation>late, dropped</translation>
    </message>
</context>
<context>
    <name>TParamBinder</name>
    <message>
        <source>choix : %1</source>
        <translation>choices: %1</translation>
    </message>
    <message>
        <source>* modifié ; l&apos;indicateur : %1</source>
        <translation>* changed; the indicator: %1</translation>
    </message>
    <message>
        <source>registre %1</source>
        <translation>register %1</translation>
    </message>
    <message>
        <source>registre %1, bit %2</source>
        <translation>register %1, bit %2</translation>
    </message>
    <message>
        <source>registre %1, bits %2 à %3</source>
        <translation>register %1, bits %2 to %3</translation>
    </message>
    <message>
        <source>* modifié sur une page que ce choix masque : %1</source>
        <translation>* changed on a page this choice hides: %1</translation>
    </message>
</context>
<context>
    <name>TSelectForm</name>
    <message>
        <source>Selection</source>
        <translation>Selection</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>TSheetPrint</name>
    <message>
        <source>Rien à imprimer : aucun paramètre lu ni chargé</source>
        <translation>Nothing to print: no parameters read or loaded</translation>
    </message>
</context>
<context>
    <name>TXfertForm</name>
    <message>
        <source>Transfert des informations de linéarisation</source>
        <translation>Linearisation table transfer</translation>
    </message>
</context>
<context>
    <name>qv7::FrameLog</name>
    <message>
        <source>lecture de registres</source>
        <translation>read registers</translation>
    </message>
    <message>
        <source>lecture d&apos;entrées</source>
        <translation>read inputs</translation>
    </message>
    <message>
        <source>écriture d&apos;un registre</source>
        <translation>write one register</translation>
    </message>
    <message>
        <source>écriture de registres</source>
        <translation>write registers</translation>
    </message>
    <message>
        <source>→ émise</source>
        <translation>→ sent</translation>
    </message>
    <message>
        <source>← reçue</source>
        <translation>← received</translation>
    </message>
    <message>
        <source>bon</source>
        <translation>good</translation>
    </message>
    <message>
        <source>mauvais</source>
        <translation>bad</translation>
    </message>
    <message>
        <source>Rejet</source>
        <translation>Rejected</translation>
    </message>
    <message>
        <source>N°</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>t (ms)</source>
        <translation>t (ms)</translation>
    </message>
    <message>
        <source>Δt (ms)</source>
        <translation>Δt (ms)</translation>
    </message>
    <message>
        <source>Sens</source>
        <translation>Direction</translation>
    </message>
    <message>
        <source>Octets</source>
        <translation>Bytes</translation>
    </message>
    <message>
        <source>Fonction</source>
        <translation>Function</translation>
    </message>
    <message>
        <source>Registre</source>
        <translation>Register</translation>
    </message>
    <message>
        <source>Nombre</source>
        <translation>Count</translation>
    </message>
    <message>
        <source>Décodage</source>
        <translation>Decoding</translation>
    </message>
    <message>
        <source>CRC</source>
        <translation>CRC</translation>
    </message>
    <message>
        <source>Raison du rejet</source>
        <translation>Reason rejected</translation>
    </message>
    <message>
        <source>Réponse à</source>
        <translation>Answers</translation>
    </message>
    <message>
        <source>Délai (ms)</source>
        <translation>Turnaround (ms)</translation>
    </message>
</context>
<context>
    <name>qv7::FrameMonitor</name>
    <message>
        <source>Moniteur de trames</source>
        <translation>Frame monitor</translation>
    </message>
    <message>
        <source>Rejets seulement</source>
        <translation>Rejected only</translation>
    </message>
    <message>
        <source>Toutes les fonctions</source>
        <translation>All functions</translation>
    </message>
    <message>
        <source>Fonction %1</source>
        <translation>Function %1</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>Effacer</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>Copier</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>Enregistrer…</source>
        <translation>Save…</translation>
    </message>
    <message>
        <source>Texte (*.txt)</source>
        <translation>Text (*.txt)</translation>
    </message>
    <message>
        <source>CSV (*.csv)</source>
        <translation>CSV (*.csv)</translation>
    </message>
    <message>
        <source>Capture pcapng (*.pcapng)</source>
        <translation>pcapng capture (*.pcapng)</translation>
    </message>
    <message>
        <source>Enregistrer les trames</source>
        <translation>Save the frames</translation>
    </message>
    <message>
        <source>Trames non enregistrées : %1</source>
        <translation>Frames not saved: %1</translation>
    </message>
    <message>
        <source>1 trame</source>
        <translation>1 frame</translation>
    </message>
    <message>
        <source>%1 trames</source>
        <translation>%1 frames</translation>
    </message>
    <message>
        <source>%1 / 1 trame</source>
        <translation>%1 / 1 frame</translation>
    </message>
    <message>
        <source>%1 / %2 trames</source>
        <translation>%1 / %2 frames</translation>
    </message>
</context>
<context>
    <name>qv7::pages::TAdcChart</name>
    <message>
        <source>ADC %1 : %2</source>
        <translation>ADC %1: %2</translation>
    </message>
</context>
<context>
    <name>qv7::pages::TCfgPage</name>
    <message>
        <source>Configuration de l&apos;entrée</source>
        <translation>Input configuration</translation>
    </message>
</context>
<context>
    <name>qv7::pages::TDisplayPage</name>
    <message>
        <source>Paramètre d&apos;affichage</source>
        <translation>Display settings</translation>
    </message>
    <message>
        <source>Pleine échelle</source>
        <translation>Full scale</translation>
    </message>
    <message>
        <source>Zéro</source>
        <translation>Zero</translation>
    </message>
    <message>
        <source>Point décimal</source>
        <translation>Decimal point</translation>
    </message>
</context>
<context>
    <name>qv7::pages::TEntCourantPage</name>
    <message>
        <source>Gamme de l&apos;entrée courant</source>
        <translation>Current input range</translation>
    </message>
</context>
<context>
    <name>qv7::pages::TEntRtdPage</name>
    <message>
        <source>Type de sonde thermo-résistive</source>
        <translation>RTD probe</translation>
    </message>
    <message>
        <source>Type de sonde</source>
        <translation>Probe type</translation>
    </message>
</context>
<context>
    <name>qv7::pages::TEntTCPage</name>
    <message>
        <source>Type de sonde thermocouple</source>
        <translation>Thermocouple probe</translation>
    </message>
    <message>
        <source>Type de thermocouple</source>
        <translation>Thermocouple type</translation>
    </message>
</context>
<context>
    <name>qv7::pages::TEntTensionPage</name>
    <message>
        <source>Gamme de l&apos;entrée tension</source>
        <translation>Voltage input range</translation>
    </message>
</context>
<context>
    <name>qv7::pages::TIdentPage</name>
    <message>
        <source>Nom de l&apos;appareil</source>
        <translation>Device name</translation>
    </message>
    <message>
        <source>Niveau de protection</source>
        <translation>Protection level</translation>
    </message>
</context>
<context>
    <name>qv7::pages::TOutputPage</name>
    <message>
        <source>Sortie analogique</source>
        <translation>Analogue output</translation>
    </message>
    <message>
        <source>Pleine échelle</source>
        <translation>Full scale</translation>
    </message>
    <message>
        <source>Zéro</source>
        <translation>Zero</translation>
    </message>
    <message>
        <source>Décalage 20% (0-20 -&gt; 4-20)</source>
        <translation>20% offset (0-20 -&gt; 4-20)</translation>
    </message>
</context>
<context>
    <name>qv7::pages::TProcessPage</name>
    <message>
        <source>Modulo d&apos;affichage</source>
        <translation>Display modulo</translation>
    </message>
    <message>
        <source>Modulo</source>
        <translation>Modulo</translation>
    </message>
    <message>
        <source>Linéarisation</source>
        <translation>Linearisation</translation>
    </message>
    <message>
        <source>Activation</source>
        <translation>Enabled</translation>
    </message>
    <message>
        <source>Edition</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>Température</source>
        <translation>Temperature</translation>
    </message>
</context>
<context>
    <name>qv7::pages::TRs485Page</name>
    <message>
        <source>Paramètres MODBUS</source>
        <translation>MODBUS settings</translation>
    </message>
    <message>
        <source>Vitesse de transmission</source>
        <translation>Baud rate</translation>
    </message>
    <message>
        <source>Format de transmission</source>
        <translation>Character format</translation>
    </message>
    <message>
        <source>Adresse de l&apos;appareil</source>
        <translation>Device address</translation>
    </message>
</context>
<context>
    <name>qv7::pages::TServicePage</name>
    <message>
        <source>Ajustage du zéro, voie 1</source>
        <translation>Zero adjustment, channel 1</translation>
    </message>
    <message>
        <source>Ajustage de la pleine échelle, voie 1</source>
        <translation>Full-scale adjustment, channel 1</translation>
    </message>
    <message>
        <source>Ajustage du zéro, voie 2</source>
        <translation>Zero adjustment, channel 2</translation>
    </message>
    <message>
        <source>Ajustage de la pleine échelle, voie 2</source>
        <translation>Full-scale adjustment, channel 2</translation>
    </message>
    <message>
        <source>pas de réponse de l&apos;appareil</source>
        <translation>no answer from the device</translation>
    </message>
    <message>
        <source>Mode Norvex</source>
        <translation>Norvex mode</translation>
    </message>
    <message>
        <source>Ajustage des entrées</source>
        <translation>Input adjustment</translation>
    </message>
    <message>
        <source>Voie n°1</source>
        <translation>Channel 1</translation>
    </message>
    <message>
        <source>Voie n°2</source>
        <translation>Channel 2</translation>
    </message>
    <message>
        <source>PE</source>
        <translation>FS</translation>
    </message>
    <message>
        <source>Authentification de l&apos;utilisateur</source>
        <translation>User authentication</translation>
    </message>
    <message>
        <source>Lecture ADC</source>
        <translation>Read ADC</translation>
    </message>
    <message>
        <source>Effacer le firmware du pont USB ?
L&apos;appareil ne communique plus jusqu&apos;à ce qu&apos;un nouveau firmware soit écrit.</source>
        <translation>Erase the USB bridge&apos;s firmware?
The device will not communicate until new firmware is written.</translation>
    </message>
    <message>
        <source>Efface le firmware USB</source>
        <translation>Erase the USB firmware</translation>
    </message>
    <message>
        <source>Réécrire le firmware du pont USB ?</source>
        <translation>Rewrite the USB bridge&apos;s firmware?</translation>
    </message>
    <message>
        <source>Ecriture du firmware</source>
        <translation>Firmware write</translation>
    </message>
    <message>
        <source>Reset USB</source>
        <translation>USB reset</translation>
    </message>
    <message>
        <source>%1 : échec, le pont USB n&apos;a pas pris la commande</source>
        <translation>%1: failed, the USB bridge did not take the command</translation>
    </message>
    <message>
        <source>fait</source>
        <translation>done</translation>
    </message>
    <message>
        <source>refusé par l&apos;indicateur</source>
        <translation>refused by the indicator</translation>
    </message>
    <message>
        <source>%1 : %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>ADC %1 : %2</source>
        <translation>ADC %1: %2</translation>
    </message>
    <message>
        <source>%1 ?
L&apos;ajustage remplace l&apos;étalonnage de cette entrée de l&apos;indicateur.</source>
        <translation>%1?
The adjustment replaces the indicator&apos;s calibration of this input.</translation>
    </message>
</context>
</TS>

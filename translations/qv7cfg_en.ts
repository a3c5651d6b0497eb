<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="fr_FR">
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
    <name>qv7</name>
    <message>
        <source>du registre %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>des registres %1–%2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>fonction illégale</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>adresse de données illégale</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>valeur de donnée illégale</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>défaillance de l&apos;appareil</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>acquittement</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>appareil occupé</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>erreur de parité mémoire</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>passerelle indisponible</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>pas de réponse derrière la passerelle</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>exception inconnue</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>lecture </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>écriture </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CRC erroné</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>réponse d&apos;une autre adresse</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>exception %1 %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>fonction inattendue</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>longueur inattendue</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>réponse périmée</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>L&apos;appareil ne répond pas</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> ; dernière réponse : %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>

<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="fr_FR">
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
        <translation>device failure</translation>
    </message>
    <message>
        <source>acquittement</source>
        <translation>acknowledge</translation>
    </message>
    <message>
        <source>appareil occupé</source>
        <translation>device busy</translation>
    </message>
    <message>
        <source>erreur de parité mémoire</source>
        <translation>memory parity error</translation>
    </message>
    <message>
        <source>passerelle indisponible</source>
        <translation>gateway unavailable</translation>
    </message>
    <message>
        <source>pas de réponse derrière la passerelle</source>
        <translation>no answer behind the gateway</translation>
    </message>
    <message>
        <source>exception inconnue</source>
        <translation>unknown exception</translation>
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
        <source>CRC erroné</source>
        <translation>bad CRC</translation>
    </message>
    <message>
        <source>réponse d&apos;une autre adresse</source>
        <translation>answer from another address</translation>
    </message>
    <message>
        <source>exception %1 %2</source>
        <translation>exception %1 %2</translation>
    </message>
    <message>
        <source>fonction inattendue</source>
        <translation>unexpected function</translation>
    </message>
    <message>
        <source>longueur inattendue</source>
        <translation>unexpected length</translation>
    </message>
    <message>
        <source>réponse périmée</source>
        <translation>stale answer</translation>
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
        <source>Les valeurs X de la courbe ne croissent pas au point %1.
Ecrire la courbe dans l&apos;appareil quand même ?</source>
        <translation>The curve&apos;s X values do not rise at point %1.
Write the curve to the device anyway?</translation>
    </message>
    <message>
        <source>Ecriture</source>
        <translation>Write</translation>
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
        <source>Courbe lue dans l&apos;indicateur</source>
        <translation>Curve read from the indicator</translation>
    </message>
    <message>
        <source>Courbe lue</source>
        <translation>Curve read</translation>
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
</TS>

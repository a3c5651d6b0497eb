<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="fr_FR">
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

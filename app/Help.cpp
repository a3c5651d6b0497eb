#include "app/Help.h"

#include "widgets/Messages.h"

#include <QCoreApplication>
#include <QString>

namespace qv7 {

QString helpText() {
    return QCoreApplication::translate(
        "Help", "Clavier :\n"
                "  Tab, Maj+Tab : contrôle suivant, précédent\n"
                "  Flèches : autre choix d'un groupe ; Espace : appuie sur le bouton\n"
                "  Ctrl+Tab, Ctrl+Page suiv. : page suivante\n"
                "  Ctrl+Maj+Tab, Ctrl+Page préc. : page précédente\n"
                "  Ctrl+Z, Ctrl+Y : annuler, rétablir une modification des pages\n"
                "  Ctrl+D : les modifications non écrites ; Ctrl+P : imprimer la fiche\n"
                "  F9 : le moniteur de trames ; F1 : cette aide\n\n"
                "« Recheche du materiel USB » trouve l'indicateur et lit ses paramètres ; « Lecture "
                "complète » les lit à nouveau, « Ecriture complète » écrit ceux des pages.\n"
                "Les fichiers de paramètres (.QV) se chargent et s'enregistrent sur la page "
                "Identification ; la courbe de linéarisation s'édite sur la page Traitement.\n"
                "Le logo en haut à droite (Entrée ou Espace) ouvre la boîte « A propos », où se choisit "
                "la langue.\n"
                "La ligne d'état dit où en est l'indicateur ; un texte coupé se lit en entier dans son "
                "info-bulle.");
}

void showHelp(QWidget*) {
    showMessage(helpText());
}

} // namespace qv7

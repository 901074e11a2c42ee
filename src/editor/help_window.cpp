#include "editor/help_window.h"

#include <QTextBrowser>

namespace {

// Written for the model builder at the bench: what to do, with the names shown on screen.
const char* const kGuide = R"(
<h2>EDITEUR de COUPLES</h2>
<p>L'éditeur dessine un couple de fuselage de modèle réduit, la pièce découpée qui donne sa
section au fuselage. Vous formez la moitié droite du couple en déplaçant ses points&nbsp;; la moitié
gauche suit en miroir. Un doublage intérieur peut s'ajouter au couple. La fenêtre «&nbsp;Assemblage&nbsp;»
montre la pièce en 3D, et le contour s'enregistre en fichier profil pour la découpe.</p>

<h3>La souris sur le dessin</h3>
<ul>
<li>Bouton gauche enfoncé&nbsp;: le point le plus proche du pointeur suit la souris tant que le bouton
reste enfoncé. Les cases en bas à gauche donnent la position du pointeur en millimètres.</li>
<li>Bouton droit ou bouton du milieu&nbsp;: épingle le point le plus proche, ou le libère s'il l'était
déjà. La courbe passe alors exactement par ce point.</li>
</ul>

<h3>La barre d'outils (le nom de chaque bouton s'affiche sous le pointeur)</h3>
<ul>
<li><b>Ouvrir un Projet</b>&nbsp;: choisit l'image de fond (un plan scanné) à décalquer.</li>
<li><b>Enregistrer le Projet</b>&nbsp;: enregistre le couple entier, comme le menu «&nbsp;Fichiers&nbsp;».</li>
<li><b>Pointillés</b>&nbsp;: montre ou cache le polygone en pointillés qui relie les points.</li>
<li><b>Vue Points</b>&nbsp;: montre ou cache les points du contour calculé.</li>
<li><b>Poignées</b>&nbsp;: montre ou cache les poignées des points.</li>
<li><b>Axes On/Off</b>&nbsp;: montre ou cache les axes dans la vue 3D.</li>
<li><b>Vue 3D</b>&nbsp;: montre ou cache la fenêtre «&nbsp;Assemblage&nbsp;».</li>
<li><b>Grille On/Off</b>&nbsp;: cache ou montre la grille de 10&nbsp;mm du dessin&nbsp;; la vue 3D montre
son sol quand la grille est cachée.</li>
</ul>

<h3>Les onglets</h3>
<ul>
<li><b>Dessin</b>&nbsp;: le doublage, le nombre de points et la résolution de la courbe, l'assemblage
et le travail de la souris.</li>
<li><b>Masque</b>&nbsp;: l'image de fond&nbsp;: «&nbsp;Horiz&nbsp;» et «&nbsp;Vert&nbsp;» la déplacent,
«&nbsp;Zoom&nbsp;» l'agrandit ou la réduit, «&nbsp;Image On/Off&nbsp;» la montre ou la cache.</li>
</ul>
<p><b>Nbre de Points</b> règle le nombre de points du contour enregistré, <b>Résolution</b> la
souplesse de la courbe. Les curseurs <b>Ep.:</b>, <b>Haut.:</b> et <b>Larg.:</b> règlent
l'épaisseur, la hauteur et la largeur de la pièce en 3D.</p>

<h3>Le doublage</h3>
<ul>
<li><b>Doublage On / Off</b>&nbsp;: ajoute ou retire le doublage&nbsp;; <b>Epaisseur</b> règle sa taille
par rapport au couple.</li>
<li><b>Mouvements asservis</b>&nbsp;: avec «&nbsp;Oui&nbsp;» le doublage suit le couple&nbsp;; avec
«&nbsp;Non&nbsp;» il reste en place et se modifie seul.</li>
<li><b>Action Souris</b>&nbsp;: «&nbsp;Couple&nbsp;» déplace les points du couple,
«&nbsp;Doublage&nbsp;» ceux du doublage (seulement avec «&nbsp;Non&nbsp;»).</li>
<li><b>Assemblage</b>&nbsp;: «&nbsp;Horizontal&nbsp;» ou «&nbsp;Vertical&nbsp;» façonne le doublage
pour le joint des deux moitiés du couple, sur l'axe horizontal ou vertical&nbsp;; «&nbsp;Aucun&nbsp;»&nbsp;:
pas de joint.</li>
</ul>

<h3>La fenêtre Assemblage (3D)</h3>
<ul>
<li>Glisser avec le bouton gauche tourne la pièce&nbsp;; glisser avec le bouton droit vers le bas
l'éloigne, vers le haut la rapproche.</li>
<li>Les boutons du haut choisissent le rendu&nbsp;: <b>Vue Surface</b>, <b>Vue Filaire</b>,
<b>VueTransparent</b>, <b>Vue Silhouette</b>, <b>Vue Solide</b>.</li>
<li>Les boutons du dessous choisissent la pièce montrée&nbsp;: <b>Couple Entier</b>,
<b>Couple Gauche</b>, <b>Couple Droit</b>, <b>Couple Supérieur</b>,
<b>CoupleInférieur</b>.</li>
</ul>

<h3>Enregistrer pour la découpe</h3>
<p>Le menu «&nbsp;Fichiers&nbsp;» enregistre le couple entier ou une de ses moitiés (gauche,
droite, haut, bas) en «&nbsp;Fichier Profil&nbsp;» «&nbsp;.DAT&nbsp;»&nbsp;: une paire de coordonnées x
et y par ligne, avec un point décimal. L'extension est ajoutée si le nom n'en a pas. Le menu
«&nbsp;Charger&nbsp;» ne fait que choisir un nom&nbsp;; le couple à l'écran ne change pas.</p>
<p>Le menu «&nbsp;Outils&nbsp;» exporte la pièce à sa taille réelle, en millimètres, celle de la
pièce 3D&nbsp;: en SVG ou en DXF pour la découpe laser ou la fraiseuse, en PDF ou sur
l'imprimante à l'échelle 1:1 pour la découpe à la main. Choisissez la pièce, puis sa largeur ou
sa hauteur (l'autre suit si «&nbsp;Garder les proportions&nbsp;» est coché). La page imprimée porte
un carré de 10&nbsp;mm&nbsp;: mesurez-le à la règle avant de coller le tirage sur la planche.</p>
)";

} // namespace

QTextBrowser* makeHelpWindow(QWidget* parent) {
    auto* guide = new QTextBrowser(parent);
    guide->setWindowFlag(Qt::Window);
    guide->setObjectName("helpWindow");
    guide->setWindowTitle(QStringLiteral("Aide"));
    guide->setHtml(QString::fromUtf8(kGuide));
    guide->resize(600, 720);
    return guide;
}

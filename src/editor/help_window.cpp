#include "editor/help_window.h"

#include <QTextBrowser>

namespace {

// Written for the model builder at the bench: what to do, with the names shown on screen.
// Every menu item and every button is named here as the screen shows it (without its "&"),
// which the help menu's test checks; a new item gets its line in the section of its menu, a
// new feature a section of its own in this table, and the contents list follows.
struct GuideSection {
    const char* anchor; // the link target of the contents list
    const char* title;
    const char* body; // HTML
};

const char* const kIntroduction = R"(
<h2>EDITEUR de COUPLES</h2>
<p>L'éditeur dessine un couple de fuselage de modèle réduit, la pièce découpée qui donne sa
section au fuselage. Vous formez la moitié droite du couple en déplaçant ses points&nbsp;; la
moitié gauche suit en miroir. Un doublage intérieur peut s'ajouter au couple. La fenêtre
«&nbsp;Assemblage&nbsp;» montre la pièce en 3D, le travail s'enregistre en projet «&nbsp;.couple&nbsp;»
et la pièce s'exporte à sa taille réelle pour la découpe.</p>
)";

const GuideSection kSections[] = {
    {"route", "Du plan scanné au fichier de découpe", R"(
<ol>
<li><b>Le plan.</b> Scannez la vue de face du fuselage (ou photographiez-la bien à plat) et
enregistrez-la en BMP, JPEG ou PNG. Le bouton <b>Ouvrir un Projet</b> de la barre d'outils la
choisit&nbsp;: elle s'affiche derrière le dessin.</li>
<li><b>Le placer.</b> Dans l'onglet <b>Masque</b>, «&nbsp;Horiz&nbsp;» et «&nbsp;Vert&nbsp;»
déplacent le plan, «&nbsp;Zoom&nbsp;» l'agrandit ou le réduit. Amenez l'axe de symétrie du couple
dessiné sur le plan sur l'axe vertical du dessin et le couple à une bonne taille sur la
grille. «&nbsp;MsPaint&nbsp;» du menu «&nbsp;Outils&nbsp;» ouvre le plan dans un programme de
dessin pour le retoucher&nbsp;; «&nbsp;Image On/Off&nbsp;» deux fois le relit ensuite.</li>
<li><b>Décalquer.</b> Tirez les points de la moitié droite sur le contour du plan avec le bouton
gauche&nbsp;; le bouton droit épingle un point que la courbe doit toucher. «&nbsp;Nbre de
Points&nbsp;» et «&nbsp;Résolution&nbsp;» règlent la finesse et la souplesse de la courbe.</li>
<li><b>Le doublage.</b> Si le couple en a un, cochez «&nbsp;On / Off&nbsp;» de l'onglet
<b>Dessin</b>, réglez «&nbsp;Epaisseur&nbsp;», et avec «&nbsp;Mouvements asservis&nbsp;»
«&nbsp;Non&nbsp;» et «&nbsp;Action Souris&nbsp;» «&nbsp;Doublage&nbsp;» retouchez-le seul. Choisissez
le joint dans «&nbsp;Assemblage&nbsp;».</li>
<li><b>La taille réelle.</b> «&nbsp;Outils&nbsp;» › «&nbsp;Calibrer le plan...&nbsp;»&nbsp;: cliquez
les deux bouts d'une cote connue du plan (une règle, une cote écrite), puis tapez sa longueur
réelle en millimètres. Dès lors la barre d'état donne sous le pointeur, et pour le point choisi,
les millimètres réels, et les exports ont la taille du plan. «&nbsp;Ep.:&nbsp;» donne
l'épaisseur de la planche à la pièce 3D.</li>
<li><b>Enregistrer le projet.</b> «&nbsp;Fichiers&nbsp;» › «&nbsp;Enregistrer le couple
sous...&nbsp;» (Ctrl+Maj+S) garde tout le travail dans un fichier «&nbsp;.couple&nbsp;».</li>
<li><b>Exporter.</b> «&nbsp;Outils&nbsp;» › «&nbsp;Exporter en DXF...&nbsp;» ou «&nbsp;Exporter
en SVG...&nbsp;» pour la découpe laser ou la fraiseuse, «&nbsp;Exporter en PDF...&nbsp;» ou
«&nbsp;Imprimer à l'échelle 1:1...&nbsp;» pour découper à la main. Choisissez la pièce et sa
taille, puis le nom du fichier.</li>
</ol>
)"},
    {"souris", "La souris sur le dessin", R"(
<ul>
<li>Bouton gauche enfoncé&nbsp;: le point le plus proche du pointeur suit la souris tant que le
bouton reste enfoncé. Les cases en bas à gauche donnent la position du pointeur en
millimètres.</li>
<li>Bouton droit, ou un clic du bouton du milieu&nbsp;: épingle le point le plus proche, ou le
libère s'il l'était déjà. La courbe passe alors exactement par ce point.</li>
<li>Chaque poignée est centrée sur son point&nbsp;: appuyez en son milieu pour prendre le point
là où il est.</li>
<li><b>Extrémités sur l'axe</b> (onglet <b>Dessin</b>, sous les cadres)&nbsp;: coché, le point du
haut et le point du bas du couple restent sur l'axe de symétrie quand vous les tirez&nbsp;; ils ne
font que monter ou descendre, et le couple reste fermé en haut et en bas. Décoché au départ, il
s'enregistre avec le couple.</li>
</ul>
)"},
    {"loupe", "La loupe&nbsp;: agrandir le dessin", R"(
<ul>
<li>La molette agrandit ou réduit le dessin autour du pointeur, de tout le dessin jusqu'à 32
fois&nbsp;; trois crans doublent l'agrandissement, que la barre d'état affiche («&nbsp;Loupe
×4&nbsp;»).</li>
<li>Glisser avec le bouton du milieu, ou avec le bouton gauche en tenant la barre d'espace,
déplace le dessin agrandi.</li>
<li><b>Ajuster</b> (le bouton après «&nbsp;Grille On/Off&nbsp;», ou Ctrl+0)&nbsp;: revient à tout
le dessin.</li>
<li>Tout suit l'agrandissement&nbsp;: le couple, le doublage, les poignées, la grille, les axes et
le plan. Les points, les épingles et la calibration se placent sous le pointeur à tout
agrandissement&nbsp;; le couple, son échelle et la calibration n'en dépendent pas. La loupe
s'enregistre avec le projet, sans être une étape à annuler.</li>
</ul>
)"},
    {"barre", "La barre d'outils", R"(
<p>Le nom de chaque bouton s'affiche sous le pointeur.</p>
<ul>
<li><b>Ouvrir un Projet</b>&nbsp;: choisit l'image de fond (un plan scanné) à décalquer.</li>
<li><b>Enregistrer le Projet</b>&nbsp;: enregistre le couple entier en fichier profil, comme
«&nbsp;Sauvegarder Couple Entier&nbsp;».</li>
<li><b>Pointillés</b>&nbsp;: montre ou cache le polygone en pointillés qui relie les points.</li>
<li><b>Vue Points</b>&nbsp;: montre ou cache les points du contour calculé.</li>
<li><b>Poignées</b>&nbsp;: montre ou cache les poignées des points.</li>
<li><b>Axes On/Off</b>&nbsp;: montre ou cache les axes dans la vue 3D.</li>
<li><b>Vue 3D</b>&nbsp;: montre ou cache la fenêtre «&nbsp;Assemblage&nbsp;».</li>
<li><b>Grille On/Off</b>&nbsp;: cache ou montre la grille de 10&nbsp;mm du dessin&nbsp;; la vue 3D
montre son sol quand la grille est cachée.</li>
</ul>
)"},
    {"onglets", "Les onglets et les curseurs", R"(
<ul>
<li><b>Dessin</b>&nbsp;: le doublage, le nombre de points et la résolution de la courbe,
l'assemblage, le travail de la souris et «&nbsp;Extrémités sur l'axe&nbsp;».</li>
<li><b>Masque</b>&nbsp;: l'image de fond&nbsp;: «&nbsp;Horiz&nbsp;» (gauche / droite) et
«&nbsp;Vert&nbsp;» (haut / bas) la déplacent, «&nbsp;Zoom&nbsp;» l'agrandit ou la réduit,
«&nbsp;Image On/Off&nbsp;» la montre ou la cache. «&nbsp;Horiz&nbsp;» et «&nbsp;Vert&nbsp;» vont
d'un bord à l'autre du plan, quelle que soit sa taille&nbsp;; la case à côté de chaque curseur
montre sa valeur et en prend une tapée, validée par Entrée. Réduit, le plan garde ses traits
fins&nbsp;: chaque point de l'écran est la moyenne du plan qu'il couvre.</li>
</ul>
<p><b>Nbre de Points</b> règle le nombre de points du contour enregistré, <b>Résolution</b> la
souplesse de la courbe. Les curseurs <b>Ep.:</b>, <b>Haut.:</b> et <b>Larg.:</b> règlent
l'épaisseur, la hauteur et la largeur de la pièce en 3D, qui sont aussi celles de la pièce
exportée.</p>
)"},
    {"doublage", "Le doublage", R"(
<ul>
<li><b>Doublage On / Off</b>&nbsp;: ajoute ou retire le doublage.</li>
<li><b>Proportionnel</b>&nbsp;: le doublage est le couple réduit vers son centre&nbsp;;
<b>Epaisseur</b> règle sa taille par rapport au couple (de 1 à 9 dixièmes).</li>
<li><b>Largeur constante</b>&nbsp;: le doublage est le contour du couple décalé vers l'intérieur
de la même largeur partout, comme un anneau découpé d'une seule largeur ou une bande de renfort.
Tapez la largeur en millimètres réels dans <b>Largeur (mm)</b> et Entrée&nbsp;: de 0,5 à la
moitié de la plus petite largeur intérieure du couple. Les coins serrés restent nets. Si le
couple ne peut plus contenir cette largeur (un étranglement, un couple trop étroit), la barre
d'état le dit et aucun doublage n'est tracé, ni exporté.</li>
<li><b>Mouvements asservis</b>&nbsp;: avec «&nbsp;Oui&nbsp;» le doublage suit le couple&nbsp;; avec
«&nbsp;Non&nbsp;» il reste en place et se modifie seul (un doublage de largeur constante part
alors de son contour décalé).</li>
<li><b>Action Souris</b>&nbsp;: «&nbsp;Couple&nbsp;» déplace les points du couple,
«&nbsp;Doublage&nbsp;» ceux du doublage (seulement avec «&nbsp;Non&nbsp;»).</li>
<li><b>Assemblage</b>&nbsp;: «&nbsp;Horizontal&nbsp;» ou «&nbsp;Vertical&nbsp;» façonne le doublage
pour le joint des deux moitiés du couple, sur l'axe horizontal ou vertical&nbsp;;
«&nbsp;Aucun&nbsp;»&nbsp;: pas de joint.</li>
</ul>
)"},
    {"vue3d", "La fenêtre Assemblage (3D)", R"(
<ul>
<li>Glisser avec le bouton gauche tourne la pièce&nbsp;; glisser avec le bouton droit vers le bas
l'éloigne, vers le haut la rapproche.</li>
<li>Les boutons du haut choisissent le rendu&nbsp;: <b>Vue Surface</b>, <b>Vue Filaire</b>,
<b>VueTransparent</b>, <b>Vue Silhouette</b>, <b>Vue Solide</b>.</li>
<li><b>Vue Fuselage</b>&nbsp;: montre tous les couples du projet, chacun à sa taille réelle et à
sa station le long du fuselage, le couple édité dans ses couleurs et les autres en gris&nbsp;;
un second clic revient à la pièce seule, vue comme avant. Le rendu choisi vaut pour les deux
vues&nbsp;; les boutons des pièces attendent le retour à la pièce seule.</li>
<li>Les boutons du dessous choisissent la pièce montrée&nbsp;: <b>Couple Entier</b>,
<b>Couple Gauche</b>, <b>Couple Droit</b>, <b>Couple Supérieur</b>,
<b>CoupleInférieur</b>.</li>
</ul>
)"},
    {"fichiers", "Le menu Fichiers&nbsp;: projets et profils", R"(
<p>Un <b>projet</b> «&nbsp;.couple&nbsp;» garde tout le travail&nbsp;: les points du couple et du
doublage, les épingles, les réglages, la pièce 3D et sa vue, l'onglet montré. Il se rouvre
exactement.</p>
<ul>
<li><b>Ouvrir un couple...</b> (Ctrl+O)&nbsp;: ouvre un projet. Un fichier qui n'est pas un projet
de l'éditeur ou qui est abîmé est refusé avec la raison, et le travail reste tel quel.</li>
<li><b>Enregistrer le couple</b> (Ctrl+S)&nbsp;: enregistre le projet sous son nom.</li>
<li><b>Enregistrer le couple sous...</b> (Ctrl+Maj+S)&nbsp;: enregistre le projet sous un nouveau
nom&nbsp;; «&nbsp;.couple&nbsp;» s'ajoute au nom qui n'en a pas.</li>
</ul>
<p>Aucun fichier n'est remplacé sans qu'on le demande&nbsp;: chaque enregistrement et chaque
export dont le nom existe déjà demande s'il faut l'écraser, et «&nbsp;Non&nbsp;» laisse l'ancien
fichier tel qu'il était.</p>
<p>Le titre de la fenêtre nomme le projet et marque d'une étoile les modifications non
enregistrées&nbsp;; quitter ou ouvrir un autre projet demande alors s'il faut les enregistrer.</p>
<p>Un <b>fichier profil</b> «&nbsp;.DAT&nbsp;» donne le contour d'une pièce&nbsp;: une paire de
coordonnées x et y par ligne, avec un point décimal, quelle que soit la langue du bureau.
L'extension s'ajoute si le nom n'en a pas.</p>
<ul>
<li><b>Charger</b>&nbsp;: choisit un fichier profil&nbsp;; seul son nom est retenu, le couple à
l'écran ne change pas.</li>
<li><b>Sauvegarder 1/2 couple Gauche</b>, <b>Sauvegarder 1/2 couple Droit</b>,
<b>Sauvegarder 1/2 couple Haut</b>, <b>Sauvegarder 1/2 couple Bas</b>&nbsp;: enregistrent une
moitié du couple (avec son doublage s'il est là).</li>
<li><b>Sauvegarder Couple Entier</b>&nbsp;: enregistre le couple entier.</li>
<li><b>Quitter</b>&nbsp;: ferme l'éditeur et ses fenêtres.</li>
</ul>
)"},
    {"edition", "Le menu Edition&nbsp;: annuler et rétablir", R"(
<ul>
<li><b>Annuler</b> (Ctrl+Z)&nbsp;: reprend la dernière modification du couple&nbsp;; le menu la
nomme, par exemple «&nbsp;Annuler : déplacer le point 4&nbsp;».</li>
<li><b>Rétablir</b> (Ctrl+Maj+Z ou Ctrl+Y)&nbsp;: refait ce qui vient d'être annulé.</li>
</ul>
<p>Chaque modification du travail est un pas&nbsp;: un glissé entier, une épingle, «&nbsp;Nbre de
Points&nbsp;», «&nbsp;Résolution&nbsp;», «&nbsp;Epaisseur&nbsp;», le doublage, le joint, les modes,
une dimension de la pièce 3D. L'affichage (boutons de la barre, vue 3D, image de fond) n'en est
pas un. Les mille derniers pas sont gardés&nbsp;; ouvrir un projet repart de zéro.</p>
)"},
    {"outils", "Le menu Outils&nbsp;: dessin du plan et exports", R"(
<ul>
<li><b>Calibrer le plan...</b>&nbsp;: donne au couple l'échelle du plan (possible tant que l'image
de fond est affichée). Le pointeur devient une croix&nbsp;: cliquez le premier bout d'une longueur
connue, puis le second (un trait suit la souris entre les deux, Échap annule), et tapez la
longueur réelle en millimètres. La barre d'état confirme l'échelle («&nbsp;Échelle&nbsp;: 1 mm du
dessin = 1,274 mm réels&nbsp;»)&nbsp;; un «&nbsp;Annuler&nbsp;» la reprend. Le plan n'est pas
déplacé. Si vous changez ensuite son «&nbsp;Zoom&nbsp;» ou choisissez une autre image, la
calibration ne vaut plus&nbsp;: «&nbsp;Plan non calibré&nbsp;» s'affiche en orange à côté de
l'échelle et le pointeur donne les millimètres du dessin jusqu'à ce que vous recalibriez.
L'échelle du couple, elle, reste.</li>
<li><b>MsPaint</b>&nbsp;: ouvre l'image de fond dans un programme de dessin (KolourPaint, Pinta,
mtPaint, GIMP ou Krita, le premier trouvé, sinon le programme d'images du bureau). Retouchez et
enregistrez le plan, puis «&nbsp;Image On/Off&nbsp;» deux fois pour le relire. Sans image de fond,
rien ne s'ouvre.</li>
<li><b>Exporter en SVG...</b>&nbsp;: un dessin vectoriel en millimètres, pour la découpe laser ou
un programme de dessin.</li>
<li><b>Exporter en DXF...</b>&nbsp;: un dessin DXF en millimètres pour la découpe laser ou la
fraiseuse&nbsp;; le couple sur le calque «&nbsp;COUPLE&nbsp;», le doublage sur
«&nbsp;DOUBLAGE&nbsp;».</li>
<li><b>Exporter en PDF...</b>&nbsp;: la pièce à l'échelle 1:1 sur des pages à imprimer.</li>
<li><b>Imprimer à l'échelle 1:1...</b>&nbsp;: les mêmes pages, sur l'imprimante.</li>
</ul>
<p>La pièce a sa taille réelle en millimètres&nbsp;: celle du dessin à l'échelle du couple, la
même en largeur et en hauteur («&nbsp;Haut.:&nbsp;» et «&nbsp;Larg.:&nbsp;» ne règlent que la
vue 3D). Après chaque export, la barre d'état dit ce qui a été écrit («&nbsp;Couple
Entier&nbsp;: 101,10 × 150,00 mm → plan.DXF&nbsp;»). La boîte de dialogue se souvient de la
pièce, de la taille tapée et de la page, le temps de la séance et dans le projet. Chaque export demande
d'abord la pièce (le couple entier ou une moitié) et sa largeur ou sa hauteur&nbsp;: l'autre suit
tant que «&nbsp;Garder les proportions&nbsp;» est coché, avec les proportions du dessin&nbsp;;
décochez-le pour étirer la pièce. Tapez les tailles avec une virgule ou un point
(«&nbsp;101,5&nbsp;» ou «&nbsp;101.5&nbsp;»)&nbsp;; des espaces peuvent grouper les chiffres par
trois («&nbsp;1 011,5&nbsp;»). Un texte qui n'est pas un nombre de la case (lettres, plusieurs
virgules, valeur hors de l'intervalle) est refusé&nbsp;: la case s'encadre de rouge, un message
dit pourquoi et rien ne change. Pour le PDF et l'impression, «&nbsp;Page&nbsp;:&nbsp;» choisit
A4 ou A3, en portrait ou en paysage.</p>
<p>La page porte sous la pièce son nom, ses dimensions et un carré de contrôle de
10&nbsp;mm&nbsp;: mesurez-le à la règle avant de coller le tirage sur la planche. S'il ne mesure
pas 10&nbsp;mm, l'imprimante a mis la page à l'échelle&nbsp;: désactivez «&nbsp;ajuster à la
page&nbsp;» dans ses réglages.</p>
)"},
    {"etat", "La barre d'état&nbsp;: millimètres réels", R"(
<ul>
<li>À droite, la position du pointeur en millimètres réels, depuis l'axe de symétrie (x vers la
droite) et l'axe horizontal (y vers le haut), même quand l'image de fond cache les cases du
dessin&nbsp;; pendant un glisser, le numéro du point tiré. Tant que le plan affiché n'est pas
calibré, elle est en millimètres du dessin («&nbsp;mm du dessin&nbsp;»).</li>
<li>«&nbsp;Point&nbsp;» et ses deux cases&nbsp;: les coordonnées réelles du dernier point pressé.
Tapez x ou y et Entrée&nbsp;: le point y va comme sous la souris (il ne passe pas à gauche de
l'axe, les épingles et le doublage asservi suivent), en un pas d'annulation.</li>
<li>«&nbsp;Échelle&nbsp;»&nbsp;: les millimètres réels d'un millimètre du dessin&nbsp;; tapez-la si
vous la connaissez, ou calibrez le plan. À côté, «&nbsp;Plan non calibré&nbsp;» en orange tant
que le plan affiché n'est pas mesuré par une calibration.</li>
<li>À gauche, les messages, qui disent toujours ce qui est vrai maintenant&nbsp;: ce qui a été
écrit ou calibré s'efface au bout de 5 secondes, un refus s'efface à la prochaine saisie
acceptée, et un état qui dure (le doublage que le couple ne peut pas contenir, et pourquoi) a sa
place à lui tant qu'il dure. Un message trop long pour sa place est raccourci&nbsp;: le pointeur
posé dessus le montre en entier.</li>
</ul>
<p>Toutes les cases où l'on tape un nombre, dont celle de «&nbsp;Nbre de Points&nbsp;» (Entrée
applique un nombre de 10 à 100, comme le curseur), acceptent la virgule comme le point et
refusent le reste, en le disant dans la barre d'état.</p>
)"},
    {"pages", "Une pièce plus grande que la page", R"(
<p>Une pièce qui ne tient pas sur une page est partagée entre plusieurs, toujours à l'échelle
1:1 (25 pages au plus&nbsp;; au-delà, choisissez une page plus grande ou une taille plus
petite). Chaque page porte son repère, son carré de contrôle et, en marge, les repères de
coupe&nbsp;; la première montre en plus le plan d'assemblage, la grille des pages sur la
pièce.</p>
<ul>
<li>Les repères se lisent comme les cases d'un tableur&nbsp;: la lettre donne la colonne, de
A à gauche, le chiffre la rangée, de 1 en haut. «&nbsp;B1&nbsp;» est à droite de
«&nbsp;A1&nbsp;», «&nbsp;A2&nbsp;» en dessous.</li>
<li>Deux pages voisines montrent les mêmes 10&nbsp;mm de la pièce. Les deux traits en marge
bornent cette bande, et le repère de la voisine est écrit en face du bord.</li>
<li>Coupez une page au ras du trait de son bord, posez-la sur sa voisine avec ce bord sur le
trait intérieur de la voisine, vérifiez que les contours se prolongent, et collez.</li>
</ul>
)"},
    {"fuselage", "Le fuselage&nbsp;: tous les couples d'un projet", R"(
<p>Un projet garde tous les couples d'un fuselage, chacun avec son nom («&nbsp;F1&nbsp;»,
«&nbsp;F2&nbsp;»...), sa <b>station</b> (sa place le long du fuselage, en millimètres réels) et
tout son travail&nbsp;: points, épingles, doublage, échelle, image de fond et sa place, pièce 3D.
Un nouveau projet a un couple, «&nbsp;F1&nbsp;» à la station 0. L'éditeur modifie un couple à la
fois, celui qui est choisi dans le panneau «&nbsp;Couples&nbsp;».</p>
<ul>
<li><b>Panneau des couples</b> (menu «&nbsp;Outils&nbsp;»)&nbsp;: montre ou cache le panneau, à
côté de l'éditeur. Il liste les couples avec leur station&nbsp;; cliquer un couple le montre
dans les deux fenêtres. Double-cliquez une station pour la taper (une virgule ou un point) et
Entrée.</li>
<li><b>Nouveau</b>&nbsp;: une copie du couple édité, 50&nbsp;mm plus loin, nommée du premier
nom libre de la série F1, F2...&nbsp;; décalquez-la ensuite sur le plan.</li>
<li><b>Dupliquer</b>&nbsp;: une copie du couple édité à la même station.</li>
<li><b>Renommer</b>&nbsp;: donne un autre nom au couple édité (deux couples n'ont jamais le même
nom).</li>
<li><b>Supprimer</b>&nbsp;: retire le couple édité du projet&nbsp;; le dernier couple reste.</li>
</ul>
<p>Chacune de ces opérations est un pas de «&nbsp;Annuler&nbsp;», qui ramène aussi le couple qui
était édité. Les projets d'un seul couple faits avant les fuselages s'ouvrent tels quels, en
projets d'un couple.</p>
<p><b>Exporter tous les couples...</b> (menu «&nbsp;Fichiers&nbsp;») pose les couples, à leur
taille réelle et sans chevauchement, sur des plaques de la taille de la table du laser ou de la
planche (600 × 300&nbsp;mm au départ, 5&nbsp;mm d'espacement entre les pièces et au bord),
tournés d'un quart de tour quand cela gagne de la place. Chaque pièce porte son nom sur le calque
de gravure «&nbsp;GRAVURE&nbsp;». Choisissez le <b>Format</b>&nbsp;: un DXF (un calque par couple,
les plaques côte à côte), un SVG par plaque («&nbsp;nom-1.svg&nbsp;», «&nbsp;nom-2.svg&nbsp;»...)
ou un PDF d'une page par plaque à l'échelle 1:1, sur le <b>Papier</b> choisi (une plaque plus
grande que la feuille est partagée en pages, comme une pièce). Décochez les couples à laisser de
côté. <b>Demi-couples</b> pose chaque couple en ses deux moitiés (gauche et droite, ou haut et bas
avec un joint horizontal), côte à côte sur la même plaque. La barre d'état dit l'usage des
plaques&nbsp;: «&nbsp;3 plaques, 71 % utilisé&nbsp;». Une pièce plus grande que la plaque est
refusée, avec son nom.</p>
<p>Pour un DXF, la <b>Version DXF</b> choisit AutoCAD 2000 ou R12 (AC1009), que lisent les
programmes de découpe plus anciens&nbsp;; le choix reste dans le projet, pour les deux exports DXF.
Pour un PDF, <b>Pages à la taille de la plaque</b> donne une page par plaque, à l'échelle 1:1,
pour un laser qui découpe d'après le PDF. Chaque PDF et chaque impression d'une pièce porte le nom
du couple et sa taille réelle dans un coin, et les pages où ne tombe aucune pièce sont laissées de
côté (le plan d'assemblage montre les pages qu'il y a).</p>
)"},
    {"encoches", "Lisses et encoches&nbsp;: des couples prêts à découper", R"(
<p><b>Lisses et encoches</b> (menu «&nbsp;Outils&nbsp;») ouvre la table des lisses et des fentes
du fuselage, la même pour tous les couples. Chaque couple reçoit ses encoches dans son contour
extérieur, à sa taille réelle&nbsp;: le dessin, la pièce 3D, la vue Fuselage (où chaque lisse
devient une ligne d'un couple à l'autre), les exports SVG, DXF et PDF, l'impression et
«&nbsp;Exporter tous les couples&nbsp;» les montrent. Les fichiers «&nbsp;.DAT&nbsp;» gardent le
contour sans encoches.</p>
<ul>
<li><b>Lisses</b>&nbsp;: une rangée par lisse, son nom («&nbsp;L1&nbsp;», «&nbsp;L2&nbsp;»...), sa
place le long du demi-contour, de 0 (point haut) à 1 (point bas), la largeur et la profondeur de
l'encoche en millimètres réels (0,5 à 30, une virgule ou un point), et <b>Des deux côtés</b>
(sinon sur la moitié droite seulement). Tapez la nouvelle rangée sous la table et
<b>Ajouter</b>&nbsp;; <b>Supprimer</b> retire la rangée choisie. Les cellules se tapent aussi en
place.</li>
<li><b>Fentes</b>&nbsp;: la fente de quille au point bas, la fente dorsale au point haut (centrées
sur l'axe) et la fente de bâti des deux côtés, à la hauteur tapée au-dessus de l'axe horizontal.
<b>Poser</b> pose la fente de la sorte choisie ou la modifie, <b>Retirer</b> retire la fente
choisie.</li>
</ul>
<p>Une encoche qui traverserait le doublage, qui chevaucherait une autre encoche ou l'axe, ou qui
ne tient pas sur le contour est laissée de côté&nbsp;: le couple est dessiné sans elle, la barre
d'état et la liste «&nbsp;Encoches laissées de côté&nbsp;» la nomment («&nbsp;L3 traverse le
doublage de F4&nbsp;»), et un export d'un tel couple demande d'abord s'il faut exporter quand même.
Chaque changement de la table est un pas de «&nbsp;Annuler&nbsp;».</p>
)"},
    {"fenetres", "Les fenêtres", R"(
<p>Le panneau «&nbsp;Couples&nbsp;» et la fenêtre «&nbsp;Assemblage&nbsp;» appartiennent à
l'éditeur&nbsp;: ils restent au-dessus de lui, même agrandi en plein écran, se réduisent avec lui
et reviennent avec lui. À la fermeture, l'éditeur retient la place et la taille de chaque
fenêtre, et les retrouve au démarrage suivant.</p>
)"},
    {"vues", "La fenêtre Fuselage&nbsp;: vue de côté, vue de dessus", R"(
<p><b>Fuselage...</b> (menu «&nbsp;Outils&nbsp;») ouvre une troisième fenêtre, à côté de
l'éditeur et de «&nbsp;Assemblage&nbsp;». Elle montre le fuselage comme le plan le dessine, en
millimètres réels le long du fuselage&nbsp;: en haut la <b>Vue de côté</b>, avec la ligne du dos
«&nbsp;Dos&nbsp;» et celle du ventre «&nbsp;Ventre&nbsp;» (hauteurs au-dessus de l'axe des
couples), en bas la <b>Vue de dessus</b>, avec la demi-largeur «&nbsp;Flanc&nbsp;», tracée des
deux côtés de l'axe.</p>
<ul>
<li>Tapez les points d'une courbe dans sa case («&nbsp;station,valeur;station,valeur...&nbsp;»,
un point comme séparateur décimal) et Entrée&nbsp;: de 2 à 30 points, les stations croissantes.
Glissez un point à la souris (il s'arrête à la station de ses voisins), double-cliquez sur une
courbe pour y ajouter un point, choisissez-en un et Suppr pour le retirer, ou tapez ses
coordonnées dans la case <b>Point</b> («&nbsp;station&nbsp;; valeur&nbsp;», une virgule ou un
point). Chaque changement est un pas de «&nbsp;Annuler&nbsp;».</li>
<li><b>Image...</b> met sous une vue l'image du plan (vue de côté ou de dessus)&nbsp;; glissez-la
pour la placer, puis <b>Calibrer...</b>&nbsp;: cliquez deux points de l'image et tapez leur
distance réelle. Le projet garde les deux images, leur place et leur échelle.</li>
<li>Chaque couple est tracé à sa station, avec son nom&nbsp;; glissez sa ligne pour changer sa
station. Son haut, son bas et sa demi-largeur, mesurés sur son contour, sont marqués en vert, en
rouge quand ils s'écartent des courbes de plus de 0,5&nbsp;mm&nbsp;: la colonne
<b>Écart (mm)</b> du panneau «&nbsp;Couples&nbsp;» donne alors l'écart.</li>
<li><b>Courbes par les couples</b>&nbsp;: les trois courbes passent par les couples tracés, un
point par couple. Un couple mal aligné se voit aussitôt.</li>
</ul>
<p><b>Couples qui suivent.</b> Cochez <b>Suit</b> dans le panneau «&nbsp;Couples&nbsp;»&nbsp;: le
couple prend la forme des couples clés (ceux qui ne suivent pas) qui l'entourent, mêlée selon sa
station, mise à la hauteur et à la largeur des courbes à sa station, et les réglages du couple
clé le plus proche. Il suit chaque changement d'une courbe, d'un couple clé ou d'une station.
Déplacer un de ses points en fait un couple clé (la barre d'état le dit). Sans courbes ou sans
couple clé, rien ne suit&nbsp;; là où «&nbsp;Dos&nbsp;» n'est pas au-dessus de
«&nbsp;Ventre&nbsp;», le couple garde son dernier contour. La bulle de la case dit pourquoi.</p>
)"},
    {"aide", "Le menu Aide", R"(
<ul>
<li><b>Aide</b>&nbsp;: ce guide, dans une fenêtre qui reste ouverte à côté de l'éditeur.</li>
<li><b>A propos</b>&nbsp;: le nom et la version de l'éditeur&nbsp;; «&nbsp;OK&nbsp;» la ferme.</li>
</ul>
)"},
};

QString guideHtml() {
    QString html = QString::fromUtf8(kIntroduction);
    html += QStringLiteral("<p><b>Sommaire</b></p><ul>");
    for (const GuideSection& s : kSections) {
        html += QStringLiteral("<li><a href=\"#%1\">%2</a></li>")
                    .arg(QLatin1String(s.anchor), QString::fromUtf8(s.title));
    }
    html += QStringLiteral("</ul>");
    for (const GuideSection& s : kSections) {
        html += QStringLiteral("<h3><a name=\"%1\"></a>%2</h3>")
                    .arg(QLatin1String(s.anchor), QString::fromUtf8(s.title));
        html += QString::fromUtf8(s.body);
    }
    return html;
}

} // namespace

QTextBrowser* makeHelpWindow(QWidget* parent) {
    auto* guide = new QTextBrowser(parent);
    guide->setWindowFlag(Qt::Window);
    guide->setObjectName("helpWindow");
    guide->setWindowTitle(QStringLiteral("Aide"));
    guide->setHtml(guideHtml());
    guide->resize(640, 760);
    return guide;
}

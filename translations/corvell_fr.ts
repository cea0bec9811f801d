<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR">
<context>
    <name>Appearance</name>
    <message>
        <source>The skin file &quot;%1&quot; is not a valid skin: %2</source>
        <translation>Le fichier d&apos;habillage «&#xa0;%1&#xa0;» n&apos;est pas un habillage valide&#xa0;: %2</translation>
    </message>
    <message>
        <source>it contains binary data</source>
        <translation>il contient des données binaires</translation>
    </message>
    <message>
        <source>it is not UTF-8 text</source>
        <translation>ce n&apos;est pas du texte UTF-8</translation>
    </message>
    <message>
        <source>a comment is not closed</source>
        <translation>un commentaire n&apos;est pas fermé</translation>
    </message>
    <message>
        <source>a quoted text is not closed</source>
        <translation>un texte entre guillemets n&apos;est pas fermé</translation>
    </message>
    <message>
        <source>a &quot;}&quot; has no &quot;{&quot;</source>
        <translation>un «&#xa0;}&#xa0;» n&apos;a pas de «&#xa0;{&#xa0;»</translation>
    </message>
    <message>
        <source>a &quot;{&quot; is not closed</source>
        <translation>un «&#xa0;{&#xa0;» n&apos;est pas fermé</translation>
    </message>
    <message>
        <source>The skin file &quot;%1&quot; cannot be read: %2</source>
        <translation>Le fichier d&apos;habillage «&#xa0;%1&#xa0;» ne peut pas être lu&#xa0;: %2</translation>
    </message>
    <message>
        <source>The skin file &quot;%1&quot; is too large to be a skin</source>
        <translation>Le fichier d&apos;habillage «&#xa0;%1&#xa0;» est trop volumineux pour être un habillage</translation>
    </message>
    <message>
        <source>The pointer file &quot;%1&quot; cannot be read: %2</source>
        <translation>Le fichier de pointeur «&#xa0;%1&#xa0;» ne peut pas être lu&#xa0;: %2</translation>
    </message>
    <message>
        <source>The pointer file &quot;%1&quot; cannot be loaded: it is too large</source>
        <translation>Le fichier de pointeur «&#xa0;%1&#xa0;» ne peut pas être chargé&#xa0;: il est trop volumineux</translation>
    </message>
    <message>
        <source>it is not a cursor file</source>
        <translation>ce n&apos;est pas un fichier de curseur</translation>
    </message>
    <message>
        <source>it holds no image</source>
        <translation>il ne contient aucune image</translation>
    </message>
    <message>
        <source>its image cannot be read</source>
        <translation>son image ne peut pas être lue</translation>
    </message>
    <message>
        <source>The pointer file &quot;%1&quot; cannot be loaded: %2</source>
        <translation>Le fichier de pointeur «&#xa0;%1&#xa0;» ne peut pas être chargé&#xa0;: %2</translation>
    </message>
    <message>
        <source>it is cut short</source>
        <translation>il est tronqué</translation>
    </message>
    <message>
        <source>its image is cut short</source>
        <translation>son image est tronquée</translation>
    </message>
    <message>
        <source>its image has an impossible size</source>
        <translation>son image a une taille impossible</translation>
    </message>
    <message>
        <source>its image is compressed</source>
        <translation>son image est compressée</translation>
    </message>
    <message>
        <source>its image has an unknown colour depth</source>
        <translation>son image a une profondeur de couleur inconnue</translation>
    </message>
    <message>
        <source>its colour table is too long</source>
        <translation>sa table des couleurs est trop longue</translation>
    </message>
    <message>
        <source>its transparency mask is missing</source>
        <translation>son masque de transparence est absent</translation>
    </message>
    <message>
        <source>its image uses a colour it does not define</source>
        <translation>son image utilise une couleur qu&apos;il ne définit pas</translation>
    </message>
</context>
<context>
    <name>ConnectionSecurity</name>
    <message>
        <source>Encrypted connection</source>
        <translation>Connexion chiffrée</translation>
    </message>
    <message>
        <source>The key %1 is protected by a passphrase.

Passphrase (Cancel logs on without this key):</source>
        <translation>La clé %1 est protégée par une phrase secrète.

Phrase secrète (Annuler pour se connecter sans cette clé)&#xa0;:</translation>
    </message>
    <message>
        <source>That passphrase does not open the key %1 (try %2 of 3).

Passphrase (Cancel logs on without this key):</source>
        <translation>Cette phrase secrète n&apos;ouvre pas la clé %1 (essai %2 sur 3).

Phrase secrète (Annuler pour se connecter sans cette clé)&#xa0;:</translation>
    </message>
    <message>
        <source>Key passphrase</source>
        <translation>Phrase secrète de la clé</translation>
    </message>
    <message>
        <source>Logon to %1</source>
        <translation>Connexion à %1</translation>
    </message>
    <message>
        <source>The certificate of %1 has changed since you chose to trust it, and it could not be verified:</source>
        <translation>Le certificat de %1 a changé depuis que vous avez choisi de lui faire confiance, et il n&apos;a pas pu être vérifié&#xa0;:</translation>
    </message>
    <message>
        <source>The certificate of %1 could not be verified:</source>
        <translation>Le certificat de %1 n&apos;a pas pu être vérifié&#xa0;:</translation>
    </message>
    <message>
        <source>

Subject: %1
Issuer: %2
Valid from: %3
Valid until: %4
SHA-256 fingerprint: %5</source>
        <translation>

Sujet&#xa0;: %1
Émetteur&#xa0;: %2
Valide à partir du&#xa0;: %3
Valide jusqu&apos;au&#xa0;: %4
Empreinte SHA-256&#xa0;: %5</translation>
    </message>
    <message>
        <source>

Do you trust this certificate and connect?</source>
        <translation>

Faites-vous confiance à ce certificat et voulez-vous vous connecter&#xa0;?</translation>
    </message>
    <message>
        <source>%1 used encryption before, but now it refuses it.

Without encryption the password and the files cross the network readable by anyone on the way. Do you want to connect without encryption?</source>
        <translation>%1 utilisait le chiffrement, mais le refuse désormais.

Sans chiffrement, le mot de passe et les fichiers traversent le réseau lisibles par quiconque se trouve sur le chemin. Voulez-vous vous connecter sans chiffrement&#xa0;?</translation>
    </message>
    <message>
        <source>The host key of %1 is not known yet.

Key type: %2
Fingerprint: %3

Connect only if this is the fingerprint the server&apos;s administrator gave you. Do you trust this key and connect?</source>
        <translation>La clé d&apos;hôte de %1 n&apos;est pas encore connue.

Type de clé&#xa0;: %2
Empreinte&#xa0;: %3

Ne vous connectez que si c&apos;est l&apos;empreinte que l&apos;administrateur du serveur vous a donnée. Faites-vous confiance à cette clé et voulez-vous vous connecter&#xa0;?</translation>
    </message>
    <message>
        <source>WARNING: the host key of %1 has changed!

Someone may be listening in on the connection, or the server was given a new key.

Key on record: %2
Key now offered: %3 %4

Connect only if the server&apos;s administrator told you of the new key. Do you trust the new key and connect?</source>
        <translation>ATTENTION&#xa0;: la clé d&apos;hôte de %1 a changé&#xa0;!

Quelqu&apos;un écoute peut-être la connexion, ou le serveur a reçu une nouvelle clé.

Clé enregistrée&#xa0;: %2
Clé proposée maintenant&#xa0;: %3 %4

Ne vous connectez que si l&apos;administrateur du serveur vous a annoncé la nouvelle clé. Faites-vous confiance à la nouvelle clé et voulez-vous vous connecter&#xa0;?</translation>
    </message>
    <message>
        <source>Encrypted connection (%1)</source>
        <translation>Connexion chiffrée (%1)</translation>
    </message>
</context>
<context>
    <name>EngineMessage</name>
    <message>
        <source>Another file is already open on this connection</source>
        <translation>Un autre fichier est déjà ouvert sur cette connexion</translation>
    </message>
    <message>
        <source>Cannot make a socket pair for the jump host</source>
        <translation>Impossible de créer une paire de sockets pour l&apos;hôte de rebond</translation>
    </message>
    <message>
        <source>Cannot open an SSH channel</source>
        <translation>Impossible d&apos;ouvrir un canal SSH</translation>
    </message>
    <message>
        <source>Cannot start an SSH session</source>
        <translation>Impossible de démarrer une session SSH</translation>
    </message>
    <message>
        <source>Cannot take the fingerprint of the server&apos;s key</source>
        <translation>Impossible de calculer l&apos;empreinte de la clé du serveur</translation>
    </message>
    <message>
        <source>Cannot write down the server&apos;s key</source>
        <translation>Impossible d&apos;enregistrer la clé du serveur</translation>
    </message>
    <message>
        <source>Ending the encrypted connection failed</source>
        <translation>La fermeture de la connexion chiffrée a échoué</translation>
    </message>
    <message>
        <source>Invalid handle</source>
        <translation>Handle non valide</translation>
    </message>
    <message>
        <source>No download is open</source>
        <translation>Aucun téléchargement n&apos;est ouvert</translation>
    </message>
    <message>
        <source>No file is open</source>
        <translation>Aucun fichier n&apos;est ouvert</translation>
    </message>
    <message>
        <source>No file is open for reading</source>
        <translation>Aucun fichier n&apos;est ouvert en lecture</translation>
    </message>
    <message>
        <source>No file is open for writing</source>
        <translation>Aucun fichier n&apos;est ouvert en écriture</translation>
    </message>
    <message>
        <source>No host name was given</source>
        <translation>Aucun nom d&apos;hôte n&apos;a été indiqué</translation>
    </message>
    <message>
        <source>No more files</source>
        <translation>Plus aucun fichier</translation>
    </message>
    <message>
        <source>No path was given</source>
        <translation>Aucun chemin n&apos;a été indiqué</translation>
    </message>
    <message>
        <source>No upload is open</source>
        <translation>Aucun envoi n&apos;est ouvert</translation>
    </message>
    <message>
        <source>Not connected</source>
        <translation>Non connecté</translation>
    </message>
    <message>
        <source>Not connected to a server</source>
        <translation>Non connecté à un serveur</translation>
    </message>
    <message>
        <source>Sending to the server failed: the connection was closed</source>
        <translation>L&apos;envoi au serveur a échoué&#xa0;: la connexion a été fermée</translation>
    </message>
    <message>
        <source>The SSH connection failed</source>
        <translation>La connexion SSH a échoué</translation>
    </message>
    <message>
        <source>The certificate has been revoked.</source>
        <translation>Le certificat a été révoqué.</translation>
    </message>
    <message>
        <source>The certificate has expired.</source>
        <translation>Le certificat a expiré.</translation>
    </message>
    <message>
        <source>The certificate is issued by an authority that is not trusted.</source>
        <translation>Le certificat est émis par une autorité qui n&apos;est pas reconnue.</translation>
    </message>
    <message>
        <source>The certificate is not valid yet.</source>
        <translation>Le certificat n&apos;est pas encore valide.</translation>
    </message>
    <message>
        <source>The certificate is self-signed.</source>
        <translation>Le certificat est auto-signé.</translation>
    </message>
    <message>
        <source>The connection is closed</source>
        <translation>La connexion est fermée</translation>
    </message>
    <message>
        <source>The connection to the server was lost</source>
        <translation>La connexion au serveur a été perdue</translation>
    </message>
    <message>
        <source>The control connection was lost</source>
        <translation>La connexion de contrôle a été perdue</translation>
    </message>
    <message>
        <source>The data connection presented a different certificate than the control connection</source>
        <translation>La connexion de données a présenté un autre certificat que la connexion de contrôle</translation>
    </message>
    <message>
        <source>The download was closed before the end of the file</source>
        <translation>Le téléchargement a été fermé avant la fin du fichier</translation>
    </message>
    <message>
        <source>The encryption handshake did not finish in time</source>
        <translation>La négociation du chiffrement ne s&apos;est pas terminée à temps</translation>
    </message>
    <message>
        <source>The encryption handshake failed</source>
        <translation>La négociation du chiffrement a échoué</translation>
    </message>
    <message>
        <source>The folder listing is too large</source>
        <translation>La liste du dossier est trop volumineuse</translation>
    </message>
    <message>
        <source>The folder listing stopped arriving</source>
        <translation>La liste du dossier a cessé d&apos;arriver</translation>
    </message>
    <message>
        <source>The handle is of the wrong kind for this operation</source>
        <translation>Le handle n&apos;est pas du bon type pour cette opération</translation>
    </message>
    <message>
        <source>The host, user name or password contains a NUL character</source>
        <translation>L&apos;hôte, le nom d&apos;utilisateur ou le mot de passe contient un caractère NUL</translation>
    </message>
    <message>
        <source>The host, user name or password contains a line break or NUL character</source>
        <translation>L&apos;hôte, le nom d&apos;utilisateur ou le mot de passe contient un saut de ligne ou un caractère NUL</translation>
    </message>
    <message>
        <source>The path contains a NUL character</source>
        <translation>Le chemin contient un caractère NUL</translation>
    </message>
    <message>
        <source>The path contains a line break or NUL character and cannot be sent</source>
        <translation>Le chemin contient un saut de ligne ou un caractère NUL et ne peut pas être envoyé</translation>
    </message>
    <message>
        <source>The server answered a listing with something else</source>
        <translation>Le serveur a répondu à une demande de liste par autre chose</translation>
    </message>
    <message>
        <source>The server answered a read with something else</source>
        <translation>Le serveur a répondu à une lecture par autre chose</translation>
    </message>
    <message>
        <source>The server answered a write with something else</source>
        <translation>Le serveur a répondu à une écriture par autre chose</translation>
    </message>
    <message>
        <source>The server closed the connection</source>
        <translation>Le serveur a fermé la connexion</translation>
    </message>
    <message>
        <source>The server closed the connection during the encryption handshake</source>
        <translation>Le serveur a fermé la connexion pendant la négociation du chiffrement</translation>
    </message>
    <message>
        <source>The server did not accept the connection in time</source>
        <translation>Le serveur n&apos;a pas accepté la connexion à temps</translation>
    </message>
    <message>
        <source>The server did not answer in time</source>
        <translation>Le serveur n&apos;a pas répondu à temps</translation>
    </message>
    <message>
        <source>The server did not answer within the time-out</source>
        <translation>Le serveur n&apos;a pas répondu dans le délai imparti</translation>
    </message>
    <message>
        <source>The server did not end the encrypted connection in time</source>
        <translation>Le serveur n&apos;a pas fermé la connexion chiffrée à temps</translation>
    </message>
    <message>
        <source>The server refused the logon</source>
        <translation>Le serveur a refusé la connexion</translation>
    </message>
    <message>
        <source>The server sent a reply line that is too long</source>
        <translation>Le serveur a envoyé une ligne de réponse trop longue</translation>
    </message>
    <message>
        <source>The server sent a reply that is too long</source>
        <translation>Le serveur a envoyé une réponse trop longue</translation>
    </message>
    <message>
        <source>The server sent an SFTP message that makes no sense</source>
        <translation>Le serveur a envoyé un message SFTP incohérent</translation>
    </message>
    <message>
        <source>The server sent more after agreeing to encrypt the connection</source>
        <translation>Le serveur a envoyé d&apos;autres données après avoir accepté de chiffrer la connexion</translation>
    </message>
    <message>
        <source>The server sent no certificate.</source>
        <translation>Le serveur n&apos;a envoyé aucun certificat.</translation>
    </message>
    <message>
        <source>The server showed no host key</source>
        <translation>Le serveur n&apos;a présenté aucune clé d&apos;hôte</translation>
    </message>
    <message>
        <source>The server stopped accepting data</source>
        <translation>Le serveur a cessé d&apos;accepter des données</translation>
    </message>
    <message>
        <source>The server took no data within the time-out</source>
        <translation>Le serveur n&apos;a accepté aucune donnée dans le délai imparti</translation>
    </message>
    <message>
        <source>The server&apos;s SFTP greeting makes no sense</source>
        <translation>Le message d&apos;accueil SFTP du serveur est incohérent</translation>
    </message>
    <message>
        <source>The session is already open</source>
        <translation>La session est déjà ouverte</translation>
    </message>
    <message>
        <source>There is not enough memory for the server&apos;s answer</source>
        <translation>La mémoire est insuffisante pour la réponse du serveur</translation>
    </message>
    <message>
        <source>This build cannot speak the protocol asked for in the host name</source>
        <translation>Cette version ne prend pas en charge le protocole demandé dans le nom d&apos;hôte</translation>
    </message>
    <message>
        <source>Cannot connect: </source>
        <translation>Connexion impossible&#xa0;: </translation>
    </message>
    <message>
        <source>Cannot create a socket: </source>
        <translation>Impossible de créer un socket&#xa0;: </translation>
    </message>
    <message>
        <source>Cannot open the data connection: </source>
        <translation>Impossible d&apos;ouvrir la connexion de données&#xa0;: </translation>
    </message>
    <message>
        <source>Cannot protect the data connection: </source>
        <translation>Impossible de protéger la connexion de données&#xa0;: </translation>
    </message>
    <message>
        <source>Cannot read the trusted certificates: </source>
        <translation>Impossible de lire les certificats de confiance&#xa0;: </translation>
    </message>
    <message>
        <source>Cannot set up encryption: </source>
        <translation>Impossible de mettre en place le chiffrement&#xa0;: </translation>
    </message>
    <message>
        <source>Closing the file failed: </source>
        <translation>La fermeture du fichier a échoué&#xa0;: </translation>
    </message>
    <message>
        <source>Ending the encrypted connection failed: </source>
        <translation>La fermeture de la connexion chiffrée a échoué&#xa0;: </translation>
    </message>
    <message>
        <source>Reading the file failed: </source>
        <translation>La lecture du fichier a échoué&#xa0;: </translation>
    </message>
    <message>
        <source>Receiving from the server failed: </source>
        <translation>La réception depuis le serveur a échoué&#xa0;: </translation>
    </message>
    <message>
        <source>Sending to the server failed: </source>
        <translation>L&apos;envoi au serveur a échoué&#xa0;: </translation>
    </message>
    <message>
        <source>The certificate did not pass the check: </source>
        <translation>Le certificat n&apos;a pas passé la vérification&#xa0;: </translation>
    </message>
    <message>
        <source>The connection broke: </source>
        <translation>La connexion s&apos;est interrompue&#xa0;: </translation>
    </message>
    <message>
        <source>The connection to the server was lost, and logging on again failed: </source>
        <translation>La connexion au serveur a été perdue et la reconnexion a échoué&#xa0;: </translation>
    </message>
    <message>
        <source>The data connection broke: </source>
        <translation>La connexion de données s&apos;est interrompue&#xa0;: </translation>
    </message>
    <message>
        <source>The encryption handshake failed: </source>
        <translation>La négociation du chiffrement a échoué&#xa0;: </translation>
    </message>
    <message>
        <source>The logon broke off: </source>
        <translation>La connexion s&apos;est interrompue pendant l&apos;authentification&#xa0;: </translation>
    </message>
    <message>
        <source>The server closed the connection: </source>
        <translation>Le serveur a fermé la connexion&#xa0;: </translation>
    </message>
    <message>
        <source>The server offers no SFTP: </source>
        <translation>Le serveur ne propose pas SFTP&#xa0;: </translation>
    </message>
    <message>
        <source>The server refused a session channel: </source>
        <translation>Le serveur a refusé un canal de session&#xa0;: </translation>
    </message>
    <message>
        <source>The server refused encryption, which this connection requires: </source>
        <translation>Le serveur a refusé le chiffrement, que cette connexion exige&#xa0;: </translation>
    </message>
    <message>
        <source>The server refused encryption: </source>
        <translation>Le serveur a refusé le chiffrement&#xa0;: </translation>
    </message>
    <message>
        <source>The server sent too many preliminary replies: </source>
        <translation>Le serveur a envoyé trop de réponses préliminaires&#xa0;: </translation>
    </message>
    <message>
        <source>The server&apos;s certificate was not trusted: </source>
        <translation>Le certificat du serveur n&apos;a pas été accepté&#xa0;: </translation>
    </message>
    <message>
        <source>The transfer broke off: </source>
        <translation>Le transfert s&apos;est interrompu&#xa0;: </translation>
    </message>
    <message>
        <source>Writing the file failed: </source>
        <translation>L&apos;écriture du fichier a échoué&#xa0;: </translation>
    </message>
</context>
<context>
    <name>ErrorReport</name>
    <message>
        <source>in Corvell2021/08/31.</source>
        <translation>dans Corvell2021/08/31.</translation>
    </message>
    <message>
        <source>%1at line %2</source>
        <translation>%1à la ligne %2</translation>
    </message>
    <message>
        <source>Please email screenshot of this message to %1</source>
        <translation>Veuillez envoyer une capture d&apos;écran de ce message par e-mail à %1</translation>
    </message>
    <message>
        <source>Type mismatch: &quot;%1&quot; is not a whole number</source>
        <translation>Incompatibilité de type&#xa0;: «&#xa0;%1&#xa0;» n&apos;est pas un nombre entier</translation>
    </message>
    <message>
        <source>Overflow: %1 is outside %2 to %3</source>
        <translation>Dépassement&#xa0;: %1 est en dehors de %2 à %3</translation>
    </message>
    <message>
        <source>Unexpected failure</source>
        <translation>Erreur inattendue</translation>
    </message>
    <message>
        <source>Application Error</source>
        <translation>Erreur de l&apos;application</translation>
    </message>
</context>
<context>
    <name>FolderWalk</name>
    <message>
        <source>The folder %1 leads to a folder already sent (a link back into the tree?): it was left out.</source>
        <translation>Le dossier %1 mène à un dossier déjà envoyé (un lien vers l&apos;arborescence&#xa0;?)&#xa0;: il a été ignoré.</translation>
    </message>
    <message>
        <source>The folder %1 cannot be read: it was left out.</source>
        <translation>Le dossier %1 ne peut pas être lu&#xa0;: il a été ignoré.</translation>
    </message>
    <message>
        <source>The folder %1 could not be listed (%2): it was left out.</source>
        <translation>Le contenu du dossier %1 n&apos;a pas pu être listé (%2)&#xa0;: il a été ignoré.</translation>
    </message>
    <message>
        <source>The remote name %1 in %2 cannot be a local name: it was left out.</source>
        <translation>Le nom distant %1 dans %2 ne peut pas être un nom local&#xa0;: il a été ignoré.</translation>
    </message>
    <message>
        <source>The folder link %1 in %2 lies inside a linked folder and was not followed.</source>
        <translation>Le lien de dossier %1 dans %2 se trouve dans un dossier lié et n&apos;a pas été suivi.</translation>
    </message>
</context>
<context>
    <name>Form1</name>
    <message>
        <source>Local drive</source>
        <translation>Lecteur local</translation>
    </message>
    <message>
        <source>Local folders</source>
        <translation>Dossiers locaux</translation>
    </message>
    <message>
        <source>Local files</source>
        <translation>Fichiers locaux</translation>
    </message>
    <message>
        <source>Remote folders</source>
        <translation>Dossiers du serveur</translation>
    </message>
    <message>
        <source>Remote files</source>
        <translation>Fichiers du serveur</translation>
    </message>
    <message>
        <source>FTP settings</source>
        <translation>Paramètres FTP</translation>
    </message>
    <message>
        <source>&amp;Host name:</source>
        <translation>&amp;Hôte&#xa0;:</translation>
    </message>
    <message>
        <source>&amp;User name:</source>
        <translation>&amp;Utilisateur&#xa0;:</translation>
    </message>
    <message>
        <source>&amp;Password:</source>
        <translation>Md&amp;P&#xa0;:</translation>
    </message>
    <message>
        <source>P&amp;ort:</source>
        <translation>P&amp;ort&#xa0;:</translation>
    </message>
    <message>
        <source>&amp;Logon</source>
        <translation>&amp;Connexion</translation>
    </message>
    <message>
        <source>Lo&amp;goff</source>
        <translation>&amp;Déconnexion</translation>
    </message>
    <message>
        <source>Local Files</source>
        <translation>Fichiers locaux</translation>
    </message>
    <message>
        <source>Local Drive List</source>
        <translation>Liste des lecteurs locaux</translation>
    </message>
    <message>
        <source>Local Directory</source>
        <translation>Dossier local</translation>
    </message>
    <message>
        <source>Upload &amp;Selected File</source>
        <translation>&amp;Envoyer le fichier sélectionné</translation>
    </message>
    <message>
        <source>Remote Files</source>
        <translation>Fichiers du serveur</translation>
    </message>
    <message>
        <source>&amp;New Folder</source>
        <translation>&amp;Nouveau dossier</translation>
    </message>
    <message>
        <source>&amp;Delete Folder</source>
        <translation>Supprimer le do&amp;ssier</translation>
    </message>
    <message>
        <source>Delete F&amp;ile</source>
        <translation>Supprimer le &amp;fichier</translation>
    </message>
    <message>
        <source>&amp;Rename File</source>
        <translation>&amp;Renommer le fichier</translation>
    </message>
    <message>
        <source>Do&amp;wnload File</source>
        <translation>&amp;Télécharger le fichier</translation>
    </message>
    <message>
        <source>Disconnected</source>
        <translation>Déconnecté</translation>
    </message>
    <message>
        <source>Key is not unique in collection: %1</source>
        <translation>La clé n&apos;est pas unique dans la collection&#xa0;: %1</translation>
    </message>
    <message>
        <source>File(s)</source>
        <translation>Fichier(s)</translation>
    </message>
    <message>
        <source>Date Modified</source>
        <translation>Date de modification</translation>
    </message>
    <message>
        <source>File Size</source>
        <translation>Taille</translation>
    </message>
    <message>
        <source>Connection to service failed.</source>
        <translation>La connexion au service a échoué.</translation>
    </message>
    <message>
        <source>Connection to service failed</source>
        <translation>La connexion au service a échoué</translation>
    </message>
    <message>
        <source>Could not connect.</source>
        <translation>Connexion impossible.</translation>
    </message>
    <message>
        <source>Connected</source>
        <translation>Connecté</translation>
    </message>
    <message>
        <source>The folder %1 could not be opened: %2</source>
        <translation>Le dossier %1 n&apos;a pas pu être ouvert&#xa0;: %2</translation>
    </message>
    <message>
        <source>Could not read the server&apos;s current folder: %1</source>
        <translation>Impossible de lire le dossier courant du serveur&#xa0;: %1</translation>
    </message>
    <message>
        <source>Element not found: /</source>
        <translation>Élément introuvable&#xa0;: /</translation>
    </message>
    <message>
        <source>Not connected to any server</source>
        <translation>Vous n&apos;êtes connecté à aucun serveur</translation>
    </message>
    <message>
        <source>No file is selected to be deleted</source>
        <translation>Aucun fichier à supprimer n&apos;est sélectionné</translation>
    </message>
    <message>
        <source>Are you sure to delete selected file(s)?</source>
        <translation>Voulez-vous vraiment supprimer le ou les fichiers sélectionnés&#xa0;?</translation>
    </message>
    <message>
        <source>Sending request.</source>
        <translation>Envoi de la requête.</translation>
    </message>
    <message>
        <source>Deleting: &quot;%1&quot;</source>
        <translation>Suppression&#xa0;: «&#xa0;%1&#xa0;»</translation>
    </message>
    <message>
        <source>An error occured while deleting file</source>
        <translation>Une erreur est survenue lors de la suppression du fichier</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Type name for the new folder</source>
        <translation>Saisissez le nom du nouveau dossier</translation>
    </message>
    <message>
        <source>New Folder</source>
        <translation>Nouveau dossier</translation>
    </message>
    <message>
        <source>Sending request to create folder: &quot;%1&quot;</source>
        <translation>Envoi de la requête de création du dossier&#xa0;: «&#xa0;%1&#xa0;»</translation>
    </message>
    <message>
        <source>An error osccured while creating folder</source>
        <translation>Une erreur est survenue lors de la création du dossier</translation>
    </message>
    <message>
        <source>Folder created.</source>
        <translation>Dossier créé.</translation>
    </message>
    <message>
        <source>Not connected to any Server</source>
        <translation>Vous n&apos;êtes connecté à aucun serveur</translation>
    </message>
    <message>
        <source>This is the root folder that can not be removed</source>
        <translation>Il s&apos;agit du dossier racine, qui ne peut pas être supprimé</translation>
    </message>
    <message>
        <source>Are you sure to remove this folder: &quot;%1&quot;?</source>
        <translation>Voulez-vous vraiment supprimer ce dossier&#xa0;: «&#xa0;%1&#xa0;»&#xa0;?</translation>
    </message>
    <message>
        <source>Sending request to remove folder: &quot;%1&quot;</source>
        <translation>Envoi de la requête de suppression du dossier&#xa0;: «&#xa0;%1&#xa0;»</translation>
    </message>
    <message>
        <source>An error occured! Make sure that folder contains no files</source>
        <translation>Une erreur est survenue&#xa0;! Vérifiez que le dossier ne contient aucun fichier</translation>
    </message>
    <message>
        <source>An error occured while removing folder</source>
        <translation>Une erreur est survenue lors de la suppression du dossier</translation>
    </message>
    <message>
        <source>Request accomplished successfuly.</source>
        <translation>Requête exécutée avec succès.</translation>
    </message>
    <message>
        <source>You are not connected to any server</source>
        <translation>Vous n&apos;êtes connecté à aucun serveur</translation>
    </message>
    <message>
        <source>Sending request...Please wait.</source>
        <translation>Envoi de la requête… Veuillez patienter.</translation>
    </message>
    <message>
        <source>Opening folder: &quot;%1&quot;</source>
        <translation>Ouverture du dossier&#xa0;: «&#xa0;%1&#xa0;»</translation>
    </message>
    <message>
        <source>Element not found: %1</source>
        <translation>Élément introuvable&#xa0;: %1</translation>
    </message>
    <message>
        <source>Data transfer completed succesfully.</source>
        <translation>Transfert de données terminé avec succès.</translation>
    </message>
    <message>
        <source>Connection to the server was lost.</source>
        <translation>La connexion au serveur a été perdue.</translation>
    </message>
    <message>
        <source>The server did not answer in time.</source>
        <translation>Le serveur n&apos;a pas répondu à temps.</translation>
    </message>
    <message>
        <source>Server: %1 Files in folder: %2</source>
        <translation>Serveur&#xa0;: %1 fichiers dans le dossier&#xa0;: %2</translation>
    </message>
    <message>
        <source>Nothing to rename</source>
        <translation>Rien à renommer</translation>
    </message>
    <message>
        <source>Server: Renaming file: &quot;%1&quot;</source>
        <translation>Serveur&#xa0;: renommage du fichier&#xa0;: «&#xa0;%1&#xa0;»</translation>
    </message>
    <message>
        <source>More files with the same name in one folder</source>
        <translation>Plusieurs fichiers du même nom dans un dossier</translation>
    </message>
    <message>
        <source>Wrong file parameter</source>
        <translation>Paramètre de fichier incorrect</translation>
    </message>
    <message>
        <source>Are you sure to exchange the file extension from: &quot;%1&quot; to: &quot;%2&quot;</source>
        <translation>Voulez-vous vraiment changer l&apos;extension du fichier de «&#xa0;%1&#xa0;» en «&#xa0;%2&#xa0;»&#xa0;?</translation>
    </message>
    <message>
        <source>Sending request to rename file: &quot;%1&quot;</source>
        <translation>Envoi de la requête de renommage du fichier&#xa0;: «&#xa0;%1&#xa0;»</translation>
    </message>
    <message>
        <source>Can&apos;t accomplishe request</source>
        <translation>Impossible d&apos;exécuter la requête</translation>
    </message>
    <message>
        <source>Request accomplished with no success at all</source>
        <translation>La requête a été exécutée sans aucun succès</translation>
    </message>
    <message>
        <source>File renamed to: &quot;%1&quot;</source>
        <translation>Fichier renommé en&#xa0;: «&#xa0;%1&#xa0;»</translation>
    </message>
    <message>
        <source>Collecting files: %1 files in %2 folders (Esc cancels)</source>
        <translation>Collecte des fichiers&#xa0;: %1 fichiers dans %2 dossiers (Échap pour annuler)</translation>
    </message>
    <message>
        <source>
... and %1 more.</source>
        <translation>
… et %1 de plus.</translation>
    </message>
    <message>
        <source>%1 files in %2 folders</source>
        <translation>%1 fichiers dans %2 dossiers</translation>
    </message>
    <message>
        <source>not connected to any server</source>
        <translation>vous n&apos;êtes connecté à aucun serveur</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is neither a file nor a folder: it was left out.</source>
        <translation>«&#xa0;%1&#xa0;» n&apos;est ni un fichier ni un dossier&#xa0;: il a été ignoré.</translation>
    </message>
    <message>
        <source>Cancelled.</source>
        <translation>Annulé.</translation>
    </message>
    <message>
        <source>The remote folder &quot;%1&quot; cannot be a local name: it was left out.</source>
        <translation>Le dossier distant «&#xa0;%1&#xa0;» ne peut pas être un nom local&#xa0;: il a été ignoré.</translation>
    </message>
    <message>
        <source>Upload Folder</source>
        <translation>Envoyer le dossier</translation>
    </message>
    <message>
        <source>Download Folder</source>
        <translation>Télécharger le dossier</translation>
    </message>
    <message>
        <source>File not found: &quot;%1&quot;</source>
        <translation>Fichier introuvable&#xa0;: «&#xa0;%1&#xa0;»</translation>
    </message>
    <message>
        <source>Overflow: the batch total exceeds %1 bytes</source>
        <translation>Dépassement&#xa0;: le total du lot dépasse %1 octets</translation>
    </message>
    <message>
        <source>No files selected</source>
        <translation>Aucun fichier sélectionné</translation>
    </message>
    <message>
        <source>Colecting files information:</source>
        <translation>Collecte des informations sur les fichiers&#xa0;:</translation>
    </message>
    <message>
        <source>No file selected</source>
        <translation>Aucun fichier sélectionné</translation>
    </message>
    <message>
        <source>Colecting informations about files:</source>
        <translation>Collecte des informations sur les fichiers&#xa0;:</translation>
    </message>
    <message>
        <source>Error accessing selected drive.</source>
        <translation>Erreur d&apos;accès au lecteur sélectionné.</translation>
    </message>
    <message>
        <source>Password:</source>
        <comment>the password field&apos;s name for a screen reader, in full</comment>
        <translation>Mot de passe&#xa0;:</translation>
    </message>
</context>
<context>
    <name>Form2</name>
    <message>
        <source>Downloading File: </source>
        <translation>Téléchargement du fichier&#xa0;: </translation>
    </message>
    <message>
        <source> / %1 bytù.</source>
        <translation> / %1 octets.</translation>
    </message>
    <message>
        <source>File:       %1 / %2</source>
        <translation>Fichier&#xa0;:       %1 / %2</translation>
    </message>
    <message>
        <source>The remote name %1 is not a file name allowed in the folder %2</source>
        <translation>Le nom distant %1 n&apos;est pas un nom de fichier autorisé dans le dossier %2</translation>
    </message>
    <message>
        <source>%1 would lie outside the folder %2</source>
        <translation>%1 se trouverait hors du dossier %2</translation>
    </message>
    <message>
        <source>Transfering data...Please wait.</source>
        <translation>Transfert des données… Veuillez patienter.</translation>
    </message>
    <message>
        <source>Can&apos;t open file path</source>
        <translation>Impossible d&apos;ouvrir le chemin du fichier</translation>
    </message>
    <message>
        <source>Can&apos;t open file path! Request canceled!</source>
        <translation>Impossible d&apos;ouvrir le chemin du fichier&#xa0;! Requête annulée&#xa0;!</translation>
    </message>
    <message>
        <source>Can&apos;t create the local file %1: %2</source>
        <translation>Impossible de créer le fichier local %1&#xa0;: %2</translation>
    </message>
    <message>
        <source>Can&apos;t write the local file %1: %2</source>
        <translation>Impossible d&apos;écrire le fichier local %1&#xa0;: %2</translation>
    </message>
    <message>
        <source>The transfer of %1 failed: %2</source>
        <translation>Le transfert de %1 a échoué&#xa0;: %2</translation>
    </message>
    <message>
        <source>The server did not confirm the transfer of %1: %2</source>
        <translation>Le serveur n&apos;a pas confirmé le transfert de %1&#xa0;: %2</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>%1 of %2 files were not transferred.</source>
        <translation>%1 fichiers sur %2 n&apos;ont pas été transférés.</translation>
    </message>
    <message>
        <source>Data transfer completed.</source>
        <translation>Transfert de données terminé.</translation>
    </message>
    <message>
        <source>File:       0 / %1</source>
        <translation>Fichier&#xa0;:       0 / %1</translation>
    </message>
    <message>
        <source>&amp;Upload</source>
        <translation>&amp;Envoyer</translation>
    </message>
    <message>
        <source>Bytes send:</source>
        <translation>Octets envoyés&#xa0;:</translation>
    </message>
    <message>
        <source>Upload Speed:</source>
        <translation>Débit&#xa0;:</translation>
    </message>
    <message>
        <source>&amp;Download</source>
        <translation>&amp;Télécharger</translation>
    </message>
    <message>
        <source>Bytes received:</source>
        <translation>Octets reçus&#xa0;:</translation>
    </message>
    <message>
        <source>Progress of this file</source>
        <translation>Progression de ce fichier</translation>
    </message>
    <message>
        <source>Progress of all files</source>
        <translation>Progression de tous les fichiers</translation>
    </message>
    <message>
        <source>Data Transfer</source>
        <translation>Transfert de données</translation>
    </message>
    <message>
        <source>Kb to transfer:</source>
        <translation>Ko à transférer&#xa0;:</translation>
    </message>
    <message>
        <source>Time elapsed:</source>
        <translation>Temps écoulé&#xa0;:</translation>
    </message>
    <message>
        <source>Bytes sent:</source>
        <translation>Octets envoyés&#xa0;:</translation>
    </message>
    <message>
        <source>Time remaining:</source>
        <translation>Temps restant&#xa0;:</translation>
    </message>
    <message>
        <source>Bytes to send:</source>
        <translation>Octets à envoyer&#xa0;:</translation>
    </message>
    <message>
        <source>Speed:</source>
        <translation>Vitesse&#xa0;:</translation>
    </message>
    <message>
        <source>Downloading file:</source>
        <translation>Téléchargement du fichier&#xa0;:</translation>
    </message>
    <message>
        <source>File:             /5</source>
        <translation>Fichier&#xa0;:             /5</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Annuler</translation>
    </message>
    <message>
        <source>Operation Canceled.</source>
        <translation>Opération annulée.</translation>
    </message>
    <message>
        <source>%1 Kb</source>
        <translation>%1 Ko</translation>
    </message>
    <message>
        <source>%1 s</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>%1 Kbps</source>
        <translation>%1 Ko/s</translation>
    </message>
    <message>
        <source>Can&apos;t create requested file on server</source>
        <translation>Impossible de créer le fichier demandé sur le serveur</translation>
    </message>
    <message>
        <source>Can&apos;t create requested file on server! request canceled!</source>
        <translation>Impossible de créer le fichier demandé sur le serveur&#xa0;! Requête annulée&#xa0;!</translation>
    </message>
    <message>
        <source>Creating folder: %1</source>
        <translation>Création du dossier&#xa0;: %1</translation>
    </message>
    <message>
        <source>Uploading file: </source>
        <translation>Envoi du fichier&#xa0;: </translation>
    </message>
    <message>
        <source> / %1 byte.</source>
        <translation> / %1 octets.</translation>
    </message>
    <message>
        <source>Uploading data...Please wait.</source>
        <translation>Envoi des données… Veuillez patienter.</translation>
    </message>
    <message>
        <source>Can&apos;t open the local file %1: %2</source>
        <translation>Impossible d&apos;ouvrir le fichier local %1&#xa0;: %2</translation>
    </message>
    <message>
        <source>Not transferred: %1</source>
        <translation>Non transféré&#xa0;: %1</translation>
    </message>
    <message>
        <source>Can&apos;t read the local file %1: %2</source>
        <translation>Impossible de lire le fichier local %1&#xa0;: %2</translation>
    </message>
    <message>
        <source>it is shorter than when it was opened</source>
        <translation>il est plus court qu&apos;à son ouverture</translation>
    </message>
</context>
<context>
    <name>KeptServers</name>
    <message>
        <source>Servers logged on to before</source>
        <translation>Serveurs auxquels vous vous êtes déjà connecté</translation>
    </message>
    <message>
        <source>%1  (%2, port %3)</source>
        <translation>%1  (%2, port %3)</translation>
    </message>
    <message>
        <source>Forget the server %1 (user %2, port %3) and the password stored for it?</source>
        <translation>Oublier le serveur %1 (utilisateur %2, port %3) et le mot de passe enregistré pour lui&#xa0;?</translation>
    </message>
</context>
</TS>

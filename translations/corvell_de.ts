<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>Appearance</name>
    <message>
        <source>The skin file &quot;%1&quot; is not a valid skin: %2</source>
        <translation>Die Skin-Datei „%1“ ist keine gültige Skin: %2</translation>
    </message>
    <message>
        <source>it contains binary data</source>
        <translation>sie enthält Binärdaten</translation>
    </message>
    <message>
        <source>it is not UTF-8 text</source>
        <translation>sie ist kein UTF-8-Text</translation>
    </message>
    <message>
        <source>a comment is not closed</source>
        <translation>ein Kommentar ist nicht geschlossen</translation>
    </message>
    <message>
        <source>a quoted text is not closed</source>
        <translation>ein Text in Anführungszeichen ist nicht geschlossen</translation>
    </message>
    <message>
        <source>a &quot;}&quot; has no &quot;{&quot;</source>
        <translation>zu einem „}“ fehlt das „{“</translation>
    </message>
    <message>
        <source>a &quot;{&quot; is not closed</source>
        <translation>ein „{“ ist nicht geschlossen</translation>
    </message>
    <message>
        <source>The skin file &quot;%1&quot; cannot be read: %2</source>
        <translation>Die Skin-Datei „%1“ kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>The skin file &quot;%1&quot; is too large to be a skin</source>
        <translation>Die Skin-Datei „%1“ ist zu groß für eine Skin</translation>
    </message>
    <message>
        <source>The pointer file &quot;%1&quot; cannot be read: %2</source>
        <translation>Die Zeigerdatei „%1“ kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>The pointer file &quot;%1&quot; cannot be loaded: it is too large</source>
        <translation>Die Zeigerdatei „%1“ kann nicht geladen werden: sie ist zu groß</translation>
    </message>
    <message>
        <source>it is not a cursor file</source>
        <translation>sie ist keine Cursordatei</translation>
    </message>
    <message>
        <source>it holds no image</source>
        <translation>sie enthält kein Bild</translation>
    </message>
    <message>
        <source>its image cannot be read</source>
        <translation>ihr Bild kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>The pointer file &quot;%1&quot; cannot be loaded: %2</source>
        <translation>Die Zeigerdatei „%1“ kann nicht geladen werden: %2</translation>
    </message>
    <message>
        <source>it is cut short</source>
        <translation>sie ist unvollständig</translation>
    </message>
    <message>
        <source>its image is cut short</source>
        <translation>ihr Bild ist unvollständig</translation>
    </message>
    <message>
        <source>its image has an impossible size</source>
        <translation>ihr Bild hat eine unmögliche Größe</translation>
    </message>
    <message>
        <source>its image is compressed</source>
        <translation>ihr Bild ist komprimiert</translation>
    </message>
    <message>
        <source>its image has an unknown colour depth</source>
        <translation>ihr Bild hat eine unbekannte Farbtiefe</translation>
    </message>
    <message>
        <source>its colour table is too long</source>
        <translation>ihre Farbtabelle ist zu lang</translation>
    </message>
    <message>
        <source>its transparency mask is missing</source>
        <translation>ihre Transparenzmaske fehlt</translation>
    </message>
    <message>
        <source>its image uses a colour it does not define</source>
        <translation>ihr Bild verwendet eine Farbe, die sie nicht definiert</translation>
    </message>
</context>
<context>
    <name>ConnectionSecurity</name>
    <message>
        <source>Encrypted connection</source>
        <translation>Verschlüsselte Verbindung</translation>
    </message>
    <message>
        <source>The key %1 is protected by a passphrase.

Passphrase (Cancel logs on without this key):</source>
        <translation>Der Schlüssel %1 ist durch eine Passphrase geschützt.

Passphrase (Abbrechen meldet ohne diesen Schlüssel an):</translation>
    </message>
    <message>
        <source>That passphrase does not open the key %1 (try %2 of 3).

Passphrase (Cancel logs on without this key):</source>
        <translation>Diese Passphrase öffnet den Schlüssel %1 nicht (Versuch %2 von 3).

Passphrase (Abbrechen meldet ohne diesen Schlüssel an):</translation>
    </message>
    <message>
        <source>Key passphrase</source>
        <translation>Passphrase des Schlüssels</translation>
    </message>
    <message>
        <source>Logon to %1</source>
        <translation>Anmeldung bei %1</translation>
    </message>
    <message>
        <source>The certificate of %1 has changed since you chose to trust it, and it could not be verified:</source>
        <translation>Das Zertifikat von %1 hat sich geändert, seit Sie ihm vertrauen, und es konnte nicht überprüft werden:</translation>
    </message>
    <message>
        <source>The certificate of %1 could not be verified:</source>
        <translation>Das Zertifikat von %1 konnte nicht überprüft werden:</translation>
    </message>
    <message>
        <source>

Subject: %1
Issuer: %2
Valid from: %3
Valid until: %4
SHA-256 fingerprint: %5</source>
        <translation>

Inhaber: %1
Aussteller: %2
Gültig ab: %3
Gültig bis: %4
SHA-256-Fingerabdruck: %5</translation>
    </message>
    <message>
        <source>

Do you trust this certificate and connect?</source>
        <translation>

Möchten Sie diesem Zertifikat vertrauen und die Verbindung herstellen?</translation>
    </message>
    <message>
        <source>%1 used encryption before, but now it refuses it.

Without encryption the password and the files cross the network readable by anyone on the way. Do you want to connect without encryption?</source>
        <translation>%1 hat bisher verschlüsselt, verweigert die Verschlüsselung aber jetzt.

Ohne Verschlüsselung gehen das Passwort und die Dateien für jeden auf dem Weg lesbar durch das Netz. Möchten Sie ohne Verschlüsselung verbinden?</translation>
    </message>
    <message>
        <source>The host key of %1 is not known yet.

Key type: %2
Fingerprint: %3

Connect only if this is the fingerprint the server&apos;s administrator gave you. Do you trust this key and connect?</source>
        <translation>Der Hostschlüssel von %1 ist noch nicht bekannt.

Schlüsseltyp: %2
Fingerabdruck: %3

Verbinden Sie nur, wenn dies der Fingerabdruck ist, den Ihnen der Administrator des Servers genannt hat. Möchten Sie diesem Schlüssel vertrauen und die Verbindung herstellen?</translation>
    </message>
    <message>
        <source>WARNING: the host key of %1 has changed!

Someone may be listening in on the connection, or the server was given a new key.

Key on record: %2
Key now offered: %3 %4

Connect only if the server&apos;s administrator told you of the new key. Do you trust the new key and connect?</source>
        <translation>WARNUNG: Der Hostschlüssel von %1 hat sich geändert!

Möglicherweise hört jemand die Verbindung ab, oder der Server hat einen neuen Schlüssel erhalten.

Gespeicherter Schlüssel: %2
Jetzt angebotener Schlüssel: %3 %4

Verbinden Sie nur, wenn Ihnen der Administrator des Servers den neuen Schlüssel mitgeteilt hat. Möchten Sie dem neuen Schlüssel vertrauen und die Verbindung herstellen?</translation>
    </message>
    <message>
        <source>Encrypted connection (%1)</source>
        <translation>Verschlüsselte Verbindung (%1)</translation>
    </message>
</context>
<context>
    <name>EngineMessage</name>
    <message>
        <source>Another file is already open on this connection</source>
        <translation>Auf dieser Verbindung ist bereits eine andere Datei geöffnet</translation>
    </message>
    <message>
        <source>Cannot make a socket pair for the jump host</source>
        <translation>Für den Sprung-Host kann kein Socket-Paar angelegt werden</translation>
    </message>
    <message>
        <source>Cannot open an SSH channel</source>
        <translation>Es kann kein SSH-Kanal geöffnet werden</translation>
    </message>
    <message>
        <source>Cannot start an SSH session</source>
        <translation>Es kann keine SSH-Sitzung gestartet werden</translation>
    </message>
    <message>
        <source>Cannot take the fingerprint of the server&apos;s key</source>
        <translation>Der Fingerabdruck des Serverschlüssels kann nicht ermittelt werden</translation>
    </message>
    <message>
        <source>Cannot write down the server&apos;s key</source>
        <translation>Der Schlüssel des Servers kann nicht gespeichert werden</translation>
    </message>
    <message>
        <source>Ending the encrypted connection failed</source>
        <translation>Das Beenden der verschlüsselten Verbindung ist fehlgeschlagen</translation>
    </message>
    <message>
        <source>Invalid handle</source>
        <translation>Ungültiges Handle</translation>
    </message>
    <message>
        <source>No download is open</source>
        <translation>Es ist kein Herunterladen geöffnet</translation>
    </message>
    <message>
        <source>No file is open</source>
        <translation>Es ist keine Datei geöffnet</translation>
    </message>
    <message>
        <source>No file is open for reading</source>
        <translation>Es ist keine Datei zum Lesen geöffnet</translation>
    </message>
    <message>
        <source>No file is open for writing</source>
        <translation>Es ist keine Datei zum Schreiben geöffnet</translation>
    </message>
    <message>
        <source>No host name was given</source>
        <translation>Es wurde kein Hostname angegeben</translation>
    </message>
    <message>
        <source>No more files</source>
        <translation>Keine weiteren Dateien</translation>
    </message>
    <message>
        <source>No path was given</source>
        <translation>Es wurde kein Pfad angegeben</translation>
    </message>
    <message>
        <source>No upload is open</source>
        <translation>Es ist kein Hochladen geöffnet</translation>
    </message>
    <message>
        <source>Not connected</source>
        <translation>Nicht verbunden</translation>
    </message>
    <message>
        <source>Not connected to a server</source>
        <translation>Mit keinem Server verbunden</translation>
    </message>
    <message>
        <source>Sending to the server failed: the connection was closed</source>
        <translation>Das Senden an den Server ist fehlgeschlagen: Die Verbindung wurde geschlossen</translation>
    </message>
    <message>
        <source>The SSH connection failed</source>
        <translation>Die SSH-Verbindung ist fehlgeschlagen</translation>
    </message>
    <message>
        <source>The certificate has been revoked.</source>
        <translation>Das Zertifikat wurde widerrufen.</translation>
    </message>
    <message>
        <source>The certificate has expired.</source>
        <translation>Das Zertifikat ist abgelaufen.</translation>
    </message>
    <message>
        <source>The certificate is issued by an authority that is not trusted.</source>
        <translation>Das Zertifikat wurde von einer nicht vertrauenswürdigen Stelle ausgestellt.</translation>
    </message>
    <message>
        <source>The certificate is not valid yet.</source>
        <translation>Das Zertifikat ist noch nicht gültig.</translation>
    </message>
    <message>
        <source>The certificate is self-signed.</source>
        <translation>Das Zertifikat ist selbstsigniert.</translation>
    </message>
    <message>
        <source>The connection is closed</source>
        <translation>Die Verbindung ist geschlossen</translation>
    </message>
    <message>
        <source>The connection to the server was lost</source>
        <translation>Die Verbindung zum Server wurde unterbrochen</translation>
    </message>
    <message>
        <source>The control connection was lost</source>
        <translation>Die Steuerverbindung wurde unterbrochen</translation>
    </message>
    <message>
        <source>The data connection presented a different certificate than the control connection</source>
        <translation>Die Datenverbindung hat ein anderes Zertifikat vorgelegt als die Steuerverbindung</translation>
    </message>
    <message>
        <source>The download was closed before the end of the file</source>
        <translation>Das Herunterladen wurde vor dem Dateiende geschlossen</translation>
    </message>
    <message>
        <source>The encryption handshake did not finish in time</source>
        <translation>Der Verschlüsselungs-Handshake wurde nicht rechtzeitig abgeschlossen</translation>
    </message>
    <message>
        <source>The encryption handshake failed</source>
        <translation>Der Verschlüsselungs-Handshake ist fehlgeschlagen</translation>
    </message>
    <message>
        <source>The folder listing is too large</source>
        <translation>Die Ordnerauflistung ist zu groß</translation>
    </message>
    <message>
        <source>The folder listing stopped arriving</source>
        <translation>Die Ordnerauflistung kommt nicht mehr an</translation>
    </message>
    <message>
        <source>The handle is of the wrong kind for this operation</source>
        <translation>Das Handle hat die falsche Art für diesen Vorgang</translation>
    </message>
    <message>
        <source>The host, user name or password contains a NUL character</source>
        <translation>Host, Benutzername oder Passwort enthält ein NUL-Zeichen</translation>
    </message>
    <message>
        <source>The host, user name or password contains a line break or NUL character</source>
        <translation>Host, Benutzername oder Passwort enthält einen Zeilenumbruch oder ein NUL-Zeichen</translation>
    </message>
    <message>
        <source>The path contains a NUL character</source>
        <translation>Der Pfad enthält ein NUL-Zeichen</translation>
    </message>
    <message>
        <source>The path contains a line break or NUL character and cannot be sent</source>
        <translation>Der Pfad enthält einen Zeilenumbruch oder ein NUL-Zeichen und kann nicht gesendet werden</translation>
    </message>
    <message>
        <source>The server answered a listing with something else</source>
        <translation>Der Server hat auf eine Auflistung mit etwas anderem geantwortet</translation>
    </message>
    <message>
        <source>The server answered a read with something else</source>
        <translation>Der Server hat auf einen Lesevorgang mit etwas anderem geantwortet</translation>
    </message>
    <message>
        <source>The server answered a write with something else</source>
        <translation>Der Server hat auf einen Schreibvorgang mit etwas anderem geantwortet</translation>
    </message>
    <message>
        <source>The server closed the connection</source>
        <translation>Der Server hat die Verbindung geschlossen</translation>
    </message>
    <message>
        <source>The server closed the connection during the encryption handshake</source>
        <translation>Der Server hat die Verbindung während des Verschlüsselungs-Handshakes geschlossen</translation>
    </message>
    <message>
        <source>The server did not accept the connection in time</source>
        <translation>Der Server hat die Verbindung nicht rechtzeitig angenommen</translation>
    </message>
    <message>
        <source>The server did not answer in time</source>
        <translation>Der Server hat nicht rechtzeitig geantwortet</translation>
    </message>
    <message>
        <source>The server did not answer within the time-out</source>
        <translation>Der Server hat nicht innerhalb der Zeitbegrenzung geantwortet</translation>
    </message>
    <message>
        <source>The server did not end the encrypted connection in time</source>
        <translation>Der Server hat die verschlüsselte Verbindung nicht rechtzeitig beendet</translation>
    </message>
    <message>
        <source>The server refused the logon</source>
        <translation>Der Server hat die Anmeldung abgelehnt</translation>
    </message>
    <message>
        <source>The server sent a reply line that is too long</source>
        <translation>Der Server hat eine zu lange Antwortzeile gesendet</translation>
    </message>
    <message>
        <source>The server sent a reply that is too long</source>
        <translation>Der Server hat eine zu lange Antwort gesendet</translation>
    </message>
    <message>
        <source>The server sent an SFTP message that makes no sense</source>
        <translation>Der Server hat eine unsinnige SFTP-Nachricht gesendet</translation>
    </message>
    <message>
        <source>The server sent more after agreeing to encrypt the connection</source>
        <translation>Der Server hat nach der Zusage, die Verbindung zu verschlüsseln, weitere Daten gesendet</translation>
    </message>
    <message>
        <source>The server sent no certificate.</source>
        <translation>Der Server hat kein Zertifikat gesendet.</translation>
    </message>
    <message>
        <source>The server showed no host key</source>
        <translation>Der Server hat keinen Hostschlüssel vorgelegt</translation>
    </message>
    <message>
        <source>The server stopped accepting data</source>
        <translation>Der Server nimmt keine Daten mehr an</translation>
    </message>
    <message>
        <source>The server took no data within the time-out</source>
        <translation>Der Server hat innerhalb der Zeitbegrenzung keine Daten angenommen</translation>
    </message>
    <message>
        <source>The server&apos;s SFTP greeting makes no sense</source>
        <translation>Die SFTP-Begrüßung des Servers ist unsinnig</translation>
    </message>
    <message>
        <source>The session is already open</source>
        <translation>Die Sitzung ist bereits geöffnet</translation>
    </message>
    <message>
        <source>There is not enough memory for the server&apos;s answer</source>
        <translation>Für die Antwort des Servers ist nicht genug Speicher vorhanden</translation>
    </message>
    <message>
        <source>This build cannot speak the protocol asked for in the host name</source>
        <translation>Diese Version beherrscht das im Hostnamen verlangte Protokoll nicht</translation>
    </message>
    <message>
        <source>Cannot connect: </source>
        <translation>Verbindung nicht möglich: </translation>
    </message>
    <message>
        <source>Cannot create a socket: </source>
        <translation>Es kann kein Socket angelegt werden: </translation>
    </message>
    <message>
        <source>Cannot open the data connection: </source>
        <translation>Die Datenverbindung kann nicht geöffnet werden: </translation>
    </message>
    <message>
        <source>Cannot protect the data connection: </source>
        <translation>Die Datenverbindung kann nicht geschützt werden: </translation>
    </message>
    <message>
        <source>Cannot read the trusted certificates: </source>
        <translation>Die vertrauenswürdigen Zertifikate können nicht gelesen werden: </translation>
    </message>
    <message>
        <source>Cannot set up encryption: </source>
        <translation>Die Verschlüsselung kann nicht eingerichtet werden: </translation>
    </message>
    <message>
        <source>Closing the file failed: </source>
        <translation>Das Schließen der Datei ist fehlgeschlagen: </translation>
    </message>
    <message>
        <source>Ending the encrypted connection failed: </source>
        <translation>Das Beenden der verschlüsselten Verbindung ist fehlgeschlagen: </translation>
    </message>
    <message>
        <source>Reading the file failed: </source>
        <translation>Das Lesen der Datei ist fehlgeschlagen: </translation>
    </message>
    <message>
        <source>Receiving from the server failed: </source>
        <translation>Das Empfangen vom Server ist fehlgeschlagen: </translation>
    </message>
    <message>
        <source>Sending to the server failed: </source>
        <translation>Das Senden an den Server ist fehlgeschlagen: </translation>
    </message>
    <message>
        <source>The certificate did not pass the check: </source>
        <translation>Das Zertifikat hat die Prüfung nicht bestanden: </translation>
    </message>
    <message>
        <source>The connection broke: </source>
        <translation>Die Verbindung ist abgebrochen: </translation>
    </message>
    <message>
        <source>The connection to the server was lost, and logging on again failed: </source>
        <translation>Die Verbindung zum Server wurde unterbrochen, und die erneute Anmeldung ist fehlgeschlagen: </translation>
    </message>
    <message>
        <source>The data connection broke: </source>
        <translation>Die Datenverbindung ist abgebrochen: </translation>
    </message>
    <message>
        <source>The encryption handshake failed: </source>
        <translation>Der Verschlüsselungs-Handshake ist fehlgeschlagen: </translation>
    </message>
    <message>
        <source>The logon broke off: </source>
        <translation>Die Anmeldung ist abgebrochen: </translation>
    </message>
    <message>
        <source>The server closed the connection: </source>
        <translation>Der Server hat die Verbindung geschlossen: </translation>
    </message>
    <message>
        <source>The server offers no SFTP: </source>
        <translation>Der Server bietet kein SFTP an: </translation>
    </message>
    <message>
        <source>The server refused a session channel: </source>
        <translation>Der Server hat einen Sitzungskanal abgelehnt: </translation>
    </message>
    <message>
        <source>The server refused encryption, which this connection requires: </source>
        <translation>Der Server hat die Verschlüsselung abgelehnt, die diese Verbindung verlangt: </translation>
    </message>
    <message>
        <source>The server refused encryption: </source>
        <translation>Der Server hat die Verschlüsselung abgelehnt: </translation>
    </message>
    <message>
        <source>The server sent too many preliminary replies: </source>
        <translation>Der Server hat zu viele vorläufige Antworten gesendet: </translation>
    </message>
    <message>
        <source>The server&apos;s certificate was not trusted: </source>
        <translation>Dem Zertifikat des Servers wurde nicht vertraut: </translation>
    </message>
    <message>
        <source>The transfer broke off: </source>
        <translation>Die Übertragung ist abgebrochen: </translation>
    </message>
    <message>
        <source>Writing the file failed: </source>
        <translation>Das Schreiben der Datei ist fehlgeschlagen: </translation>
    </message>
</context>
<context>
    <name>ErrorReport</name>
    <message>
        <source>in Corvell2021/08/31.</source>
        <translation>in Corvell2021/08/31.</translation>
    </message>
    <message>
        <source>%1at line %2</source>
        <translation>%1in Zeile %2</translation>
    </message>
    <message>
        <source>Please email screenshot of this message to %1</source>
        <translation>Bitte senden Sie ein Bildschirmfoto dieser Meldung per E-Mail an %1</translation>
    </message>
    <message>
        <source>Type mismatch: &quot;%1&quot; is not a whole number</source>
        <translation>Typenkonflikt: „%1“ ist keine ganze Zahl</translation>
    </message>
    <message>
        <source>Overflow: %1 is outside %2 to %3</source>
        <translation>Überlauf: %1 liegt außerhalb von %2 bis %3</translation>
    </message>
    <message>
        <source>Unexpected failure</source>
        <translation>Unerwarteter Fehler</translation>
    </message>
    <message>
        <source>Application Error</source>
        <translation>Anwendungsfehler</translation>
    </message>
</context>
<context>
    <name>FolderWalk</name>
    <message>
        <source>The folder %1 leads to a folder already sent (a link back into the tree?): it was left out.</source>
        <translation>Der Ordner %1 führt zu einem bereits gesendeten Ordner (eine Verknüpfung zurück in den Baum?): wurde ausgelassen.</translation>
    </message>
    <message>
        <source>The folder %1 cannot be read: it was left out.</source>
        <translation>Der Ordner %1 kann nicht gelesen werden: wurde ausgelassen.</translation>
    </message>
    <message>
        <source>The folder %1 could not be listed (%2): it was left out.</source>
        <translation>Der Inhalt des Ordners %1 konnte nicht aufgelistet werden (%2): wurde ausgelassen.</translation>
    </message>
    <message>
        <source>The remote name %1 in %2 cannot be a local name: it was left out.</source>
        <translation>Der Name %1 in %2 auf dem Server kann kein lokaler Name sein: wurde ausgelassen.</translation>
    </message>
    <message>
        <source>The folder link %1 in %2 lies inside a linked folder and was not followed.</source>
        <translation>Die Ordnerverknüpfung %1 in %2 liegt in einem verknüpften Ordner und wurde nicht verfolgt.</translation>
    </message>
</context>
<context>
    <name>Form1</name>
    <message>
        <source>Local drive</source>
        <translation>Lokales Laufwerk</translation>
    </message>
    <message>
        <source>Local folders</source>
        <translation>Lokale Ordner</translation>
    </message>
    <message>
        <source>Local files</source>
        <translation>Lokale Dateien</translation>
    </message>
    <message>
        <source>Remote folders</source>
        <translation>Ordner auf dem Server</translation>
    </message>
    <message>
        <source>Remote files</source>
        <translation>Dateien auf dem Server</translation>
    </message>
    <message>
        <source>FTP settings</source>
        <translation>FTP-Einstellungen</translation>
    </message>
    <message>
        <source>&amp;Host name:</source>
        <translation>&amp;Hostname:</translation>
    </message>
    <message>
        <source>&amp;User name:</source>
        <translation>&amp;Benutzer:</translation>
    </message>
    <message>
        <source>&amp;Password:</source>
        <translation>&amp;Passwort:</translation>
    </message>
    <message>
        <source>P&amp;ort:</source>
        <translation>Po&amp;rt:</translation>
    </message>
    <message>
        <source>&amp;Logon</source>
        <translation>&amp;Anmelden</translation>
    </message>
    <message>
        <source>Lo&amp;goff</source>
        <translation>Abm&amp;elden</translation>
    </message>
    <message>
        <source>Local Files</source>
        <translation>Lokale Dateien</translation>
    </message>
    <message>
        <source>Local Drive List</source>
        <translation>Liste der lokalen Laufwerke</translation>
    </message>
    <message>
        <source>Local Directory</source>
        <translation>Lokaler Ordner</translation>
    </message>
    <message>
        <source>Upload &amp;Selected File</source>
        <translation>Ausge&amp;wählte Datei hochladen</translation>
    </message>
    <message>
        <source>Remote Files</source>
        <translation>Dateien auf dem Server</translation>
    </message>
    <message>
        <source>&amp;New Folder</source>
        <translation>&amp;Neuer Ordner</translation>
    </message>
    <message>
        <source>&amp;Delete Folder</source>
        <translation>&amp;Ordner löschen</translation>
    </message>
    <message>
        <source>Delete F&amp;ile</source>
        <translation>&amp;Datei löschen</translation>
    </message>
    <message>
        <source>&amp;Rename File</source>
        <translation>Datei &amp;umbenennen</translation>
    </message>
    <message>
        <source>Do&amp;wnload File</source>
        <translation>Datei herunter&amp;laden</translation>
    </message>
    <message>
        <source>Disconnected</source>
        <translation>Nicht verbunden</translation>
    </message>
    <message>
        <source>Key is not unique in collection: %1</source>
        <translation>Schlüssel ist in der Sammlung nicht eindeutig: %1</translation>
    </message>
    <message>
        <source>File(s)</source>
        <translation>Datei(en)</translation>
    </message>
    <message>
        <source>Date Modified</source>
        <translation>Geändert am</translation>
    </message>
    <message>
        <source>File Size</source>
        <translation>Dateigröße</translation>
    </message>
    <message>
        <source>Connection to service failed.</source>
        <translation>Verbindung zum Dienst fehlgeschlagen.</translation>
    </message>
    <message>
        <source>Connection to service failed</source>
        <translation>Verbindung zum Dienst fehlgeschlagen</translation>
    </message>
    <message>
        <source>Could not connect.</source>
        <translation>Verbindung nicht möglich.</translation>
    </message>
    <message>
        <source>Connected</source>
        <translation>Verbunden</translation>
    </message>
    <message>
        <source>The folder %1 could not be opened: %2</source>
        <translation>Der Ordner %1 konnte nicht geöffnet werden: %2</translation>
    </message>
    <message>
        <source>Could not read the server&apos;s current folder: %1</source>
        <translation>Der aktuelle Ordner des Servers konnte nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>Element not found: /</source>
        <translation>Element nicht gefunden: /</translation>
    </message>
    <message>
        <source>Not connected to any server</source>
        <translation>Mit keinem Server verbunden</translation>
    </message>
    <message>
        <source>No file is selected to be deleted</source>
        <translation>Es ist keine Datei zum Löschen ausgewählt</translation>
    </message>
    <message>
        <source>Are you sure to delete selected file(s)?</source>
        <translation>Möchten Sie die ausgewählten Dateien wirklich löschen?</translation>
    </message>
    <message>
        <source>Sending request.</source>
        <translation>Anfrage wird gesendet.</translation>
    </message>
    <message>
        <source>Deleting: &quot;%1&quot;</source>
        <translation>Wird gelöscht: „%1“</translation>
    </message>
    <message>
        <source>An error occured while deleting file</source>
        <translation>Beim Löschen der Datei ist ein Fehler aufgetreten</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Type name for the new folder</source>
        <translation>Geben Sie den Namen des neuen Ordners ein</translation>
    </message>
    <message>
        <source>New Folder</source>
        <translation>Neuer Ordner</translation>
    </message>
    <message>
        <source>Sending request to create folder: &quot;%1&quot;</source>
        <translation>Anfrage zum Anlegen des Ordners wird gesendet: „%1“</translation>
    </message>
    <message>
        <source>An error osccured while creating folder</source>
        <translation>Beim Anlegen des Ordners ist ein Fehler aufgetreten</translation>
    </message>
    <message>
        <source>Folder created.</source>
        <translation>Ordner angelegt.</translation>
    </message>
    <message>
        <source>Not connected to any Server</source>
        <translation>Mit keinem Server verbunden</translation>
    </message>
    <message>
        <source>This is the root folder that can not be removed</source>
        <translation>Dies ist der Stammordner, er kann nicht entfernt werden</translation>
    </message>
    <message>
        <source>Are you sure to remove this folder: &quot;%1&quot;?</source>
        <translation>Möchten Sie diesen Ordner wirklich entfernen: „%1“?</translation>
    </message>
    <message>
        <source>Sending request to remove folder: &quot;%1&quot;</source>
        <translation>Anfrage zum Entfernen des Ordners wird gesendet: „%1“</translation>
    </message>
    <message>
        <source>An error occured! Make sure that folder contains no files</source>
        <translation>Ein Fehler ist aufgetreten! Stellen Sie sicher, dass der Ordner keine Dateien enthält</translation>
    </message>
    <message>
        <source>An error occured while removing folder</source>
        <translation>Beim Entfernen des Ordners ist ein Fehler aufgetreten</translation>
    </message>
    <message>
        <source>Request accomplished successfuly.</source>
        <translation>Anfrage erfolgreich ausgeführt.</translation>
    </message>
    <message>
        <source>You are not connected to any server</source>
        <translation>Sie sind mit keinem Server verbunden</translation>
    </message>
    <message>
        <source>Sending request...Please wait.</source>
        <translation>Anfrage wird gesendet … Bitte warten.</translation>
    </message>
    <message>
        <source>Opening folder: &quot;%1&quot;</source>
        <translation>Ordner wird geöffnet: „%1“</translation>
    </message>
    <message>
        <source>Element not found: %1</source>
        <translation>Element nicht gefunden: %1</translation>
    </message>
    <message>
        <source>Data transfer completed succesfully.</source>
        <translation>Datenübertragung erfolgreich abgeschlossen.</translation>
    </message>
    <message>
        <source>Connection to the server was lost.</source>
        <translation>Die Verbindung zum Server wurde unterbrochen.</translation>
    </message>
    <message>
        <source>The server did not answer in time.</source>
        <translation>Der Server hat nicht rechtzeitig geantwortet.</translation>
    </message>
    <message>
        <source>Server: %1 Files in folder: %2</source>
        <translation>Server: %1 Dateien im Ordner: %2</translation>
    </message>
    <message>
        <source>Nothing to rename</source>
        <translation>Nichts zum Umbenennen</translation>
    </message>
    <message>
        <source>Server: Renaming file: &quot;%1&quot;</source>
        <translation>Server: Datei wird umbenannt: „%1“</translation>
    </message>
    <message>
        <source>More files with the same name in one folder</source>
        <translation>Mehrere Dateien mit demselben Namen in einem Ordner</translation>
    </message>
    <message>
        <source>Wrong file parameter</source>
        <translation>Falscher Dateiparameter</translation>
    </message>
    <message>
        <source>Are you sure to exchange the file extension from: &quot;%1&quot; to: &quot;%2&quot;</source>
        <translation>Möchten Sie die Dateiendung wirklich von „%1“ in „%2“ ändern?</translation>
    </message>
    <message>
        <source>Sending request to rename file: &quot;%1&quot;</source>
        <translation>Anfrage zum Umbenennen der Datei wird gesendet: „%1“</translation>
    </message>
    <message>
        <source>Can&apos;t accomplishe request</source>
        <translation>Die Anfrage kann nicht ausgeführt werden</translation>
    </message>
    <message>
        <source>Request accomplished with no success at all</source>
        <translation>Die Anfrage wurde ohne jeden Erfolg ausgeführt</translation>
    </message>
    <message>
        <source>File renamed to: &quot;%1&quot;</source>
        <translation>Datei umbenannt in: „%1“</translation>
    </message>
    <message>
        <source>Collecting files: %1 files in %2 folders (Esc cancels)</source>
        <translation>Dateien werden gesammelt: %1 Dateien in %2 Ordnern (Esc bricht ab)</translation>
    </message>
    <message>
        <source>
... and %1 more.</source>
        <translation>
… und %1 weitere.</translation>
    </message>
    <message>
        <source>%1 files in %2 folders</source>
        <translation>%1 Dateien in %2 Ordnern</translation>
    </message>
    <message>
        <source>not connected to any server</source>
        <translation>mit keinem Server verbunden</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is neither a file nor a folder: it was left out.</source>
        <translation>„%1“ ist weder eine Datei noch ein Ordner: wurde ausgelassen.</translation>
    </message>
    <message>
        <source>Cancelled.</source>
        <translation>Abgebrochen.</translation>
    </message>
    <message>
        <source>The remote folder &quot;%1&quot; cannot be a local name: it was left out.</source>
        <translation>Der Ordner „%1“ auf dem Server kann kein lokaler Name sein: wurde ausgelassen.</translation>
    </message>
    <message>
        <source>Upload Folder</source>
        <translation>Ordner hochladen</translation>
    </message>
    <message>
        <source>Download Folder</source>
        <translation>Ordner herunterladen</translation>
    </message>
    <message>
        <source>File not found: &quot;%1&quot;</source>
        <translation>Datei nicht gefunden: „%1“</translation>
    </message>
    <message>
        <source>Overflow: the batch total exceeds %1 bytes</source>
        <translation>Überlauf: Die Gesamtgröße übersteigt %1 Bytes</translation>
    </message>
    <message>
        <source>No files selected</source>
        <translation>Keine Dateien ausgewählt</translation>
    </message>
    <message>
        <source>Colecting files information:</source>
        <translation>Dateiinformationen werden gesammelt:</translation>
    </message>
    <message>
        <source>No file selected</source>
        <translation>Keine Datei ausgewählt</translation>
    </message>
    <message>
        <source>Colecting informations about files:</source>
        <translation>Informationen über die Dateien werden gesammelt:</translation>
    </message>
    <message>
        <source>Error accessing selected drive.</source>
        <translation>Fehler beim Zugriff auf das ausgewählte Laufwerk.</translation>
    </message>
    <message>
        <source>Password:</source>
        <comment>the password field&apos;s name for a screen reader, in full</comment>
        <translation>Passwort:</translation>
    </message>
</context>
<context>
    <name>Form2</name>
    <message>
        <source>Downloading File: </source>
        <translation>Datei wird heruntergeladen: </translation>
    </message>
    <message>
        <source> / %1 bytù.</source>
        <translation> / %1 Byte.</translation>
    </message>
    <message>
        <source>File:       %1 / %2</source>
        <translation>Datei:       %1 / %2</translation>
    </message>
    <message>
        <source>The remote name %1 is not a file name allowed in the folder %2</source>
        <translation>Der Name %1 auf dem Server ist im Ordner %2 als Dateiname nicht erlaubt</translation>
    </message>
    <message>
        <source>%1 would lie outside the folder %2</source>
        <translation>%1 läge außerhalb des Ordners %2</translation>
    </message>
    <message>
        <source>Transfering data...Please wait.</source>
        <translation>Daten werden übertragen … Bitte warten.</translation>
    </message>
    <message>
        <source>Can&apos;t open file path</source>
        <translation>Der Dateipfad kann nicht geöffnet werden</translation>
    </message>
    <message>
        <source>Can&apos;t open file path! Request canceled!</source>
        <translation>Der Dateipfad kann nicht geöffnet werden! Anfrage abgebrochen!</translation>
    </message>
    <message>
        <source>Can&apos;t create the local file %1: %2</source>
        <translation>Die lokale Datei %1 kann nicht angelegt werden: %2</translation>
    </message>
    <message>
        <source>Can&apos;t write the local file %1: %2</source>
        <translation>Die lokale Datei %1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>The transfer of %1 failed: %2</source>
        <translation>Die Übertragung von %1 ist fehlgeschlagen: %2</translation>
    </message>
    <message>
        <source>The server did not confirm the transfer of %1: %2</source>
        <translation>Der Server hat die Übertragung von %1 nicht bestätigt: %2</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>%1 of %2 files were not transferred.</source>
        <translation>%1 von %2 Dateien wurden nicht übertragen.</translation>
    </message>
    <message>
        <source>Data transfer completed.</source>
        <translation>Datenübertragung abgeschlossen.</translation>
    </message>
    <message>
        <source>File:       0 / %1</source>
        <translation>Datei:       0 / %1</translation>
    </message>
    <message>
        <source>&amp;Upload</source>
        <translation>&amp;Hochladen</translation>
    </message>
    <message>
        <source>Bytes send:</source>
        <translation>Bytes gesendet:</translation>
    </message>
    <message>
        <source>Upload Speed:</source>
        <translation>Upload-Rate:</translation>
    </message>
    <message>
        <source>&amp;Download</source>
        <translation>He&amp;runterladen</translation>
    </message>
    <message>
        <source>Bytes received:</source>
        <translation>Bytes empfangen:</translation>
    </message>
    <message>
        <source>Progress of this file</source>
        <translation>Fortschritt dieser Datei</translation>
    </message>
    <message>
        <source>Progress of all files</source>
        <translation>Fortschritt aller Dateien</translation>
    </message>
    <message>
        <source>Data Transfer</source>
        <translation>Datenübertragung</translation>
    </message>
    <message>
        <source>Kb to transfer:</source>
        <translation>Zu übertragen:</translation>
    </message>
    <message>
        <source>Time elapsed:</source>
        <translation>Verstrichen:</translation>
    </message>
    <message>
        <source>Bytes sent:</source>
        <translation>Bytes gesendet:</translation>
    </message>
    <message>
        <source>Time remaining:</source>
        <translation>Restzeit:</translation>
    </message>
    <message>
        <source>Bytes to send:</source>
        <translation>Bytes zu senden:</translation>
    </message>
    <message>
        <source>Speed:</source>
        <translation>Datenrate:</translation>
    </message>
    <message>
        <source>Downloading file:</source>
        <translation>Datei wird heruntergeladen:</translation>
    </message>
    <message>
        <source>File:             /5</source>
        <translation>Datei:             /5</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>Operation Canceled.</source>
        <translation>Vorgang abgebrochen.</translation>
    </message>
    <message>
        <source>%1 Kb</source>
        <translation>%1 KB</translation>
    </message>
    <message>
        <source>%1 s</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>%1 Kbps</source>
        <translation>%1 KB/s</translation>
    </message>
    <message>
        <source>Can&apos;t create requested file on server</source>
        <translation>Die angeforderte Datei kann auf dem Server nicht angelegt werden</translation>
    </message>
    <message>
        <source>Can&apos;t create requested file on server! request canceled!</source>
        <translation>Die angeforderte Datei kann auf dem Server nicht angelegt werden! Anfrage abgebrochen!</translation>
    </message>
    <message>
        <source>Creating folder: %1</source>
        <translation>Ordner wird angelegt: %1</translation>
    </message>
    <message>
        <source>Uploading file: </source>
        <translation>Datei wird hochgeladen: </translation>
    </message>
    <message>
        <source> / %1 byte.</source>
        <translation> / %1 Byte.</translation>
    </message>
    <message>
        <source>Uploading data...Please wait.</source>
        <translation>Daten werden hochgeladen … Bitte warten.</translation>
    </message>
    <message>
        <source>Can&apos;t open the local file %1: %2</source>
        <translation>Die lokale Datei %1 kann nicht geöffnet werden: %2</translation>
    </message>
    <message>
        <source>Not transferred: %1</source>
        <translation>Nicht übertragen: %1</translation>
    </message>
    <message>
        <source>Can&apos;t read the local file %1: %2</source>
        <translation>Die lokale Datei %1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>it is shorter than when it was opened</source>
        <translation>sie ist kürzer als beim Öffnen</translation>
    </message>
</context>
<context>
    <name>KeptServers</name>
    <message>
        <source>Servers logged on to before</source>
        <translation>Server, bei denen Sie schon angemeldet waren</translation>
    </message>
    <message>
        <source>%1  (%2, port %3)</source>
        <translation>%1  (%2, Port %3)</translation>
    </message>
    <message>
        <source>Forget the server %1 (user %2, port %3) and the password stored for it?</source>
        <translation>Den Server %1 (Benutzer %2, Port %3) und das dafür gespeicherte Passwort vergessen?</translation>
    </message>
</context>
</TS>

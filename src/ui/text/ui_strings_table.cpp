// The translation table: one row per text, the columns in the order of ui::Language.
#include "ui/text/ui_strings_table.h"

namespace ui {

const std::array<TextRow, kStringCount> kTextRows{{
    {StringId::ProductName,
     {"Tavrin Wendaro", "Tavrin Wendaro", "Tavrin Wendaro", "Tavrin Wendaro", "Tavrin Wendaro",
      "Tavrin Wendaro"}},
    {StringId::AboutTitle,
     {"Acerca de Tavrin Wendaro", "Über Tavrin Wendaro", "About Tavrin Wendaro",
      "À propos de Tavrin Wendaro", "Informazioni su Tavrin Wendaro", "Over Tavrin Wendaro"}},
    {StringId::TransferGroup,
     {"Transferencia de datos en curso", "Datenübertragung läuft", "Data transfer in process",
      "Transfert de données en cours", "Trasferimento dati in corso", "Gegevensoverdracht bezig"}},
    {StringId::ChatGroup, {"Chat", "Chat", "Chat", "Discussion", "Chat", "Chat"}},
    {StringId::SendButton, {"Enviar", "Senden", "Send", "Envoyer", "Invia", "Verzenden"}},
    {StringId::TooltipOptions, {"Opciones", "Optionen", "Options", "Options", "Opzioni", "Opties"}},
    {StringId::TooltipAddShare,
     {"Añadir recurso compartido", "Freigabe hinzufügen", "Add share", "Ajouter un partage",
      "Aggiungi condivisione", "Gedeelde map toevoegen"}},
    {StringId::TooltipUp,
     {"Subir", "Nach oben", "Up", "Niveau supérieur", "Livello superiore", "Omhoog"}},
    {StringId::ColumnName, {"Nombre", "Name", "Name", "Nom", "Nome", "Naam"}},
    {StringId::ColumnSize, {"Tamaño", "Größe", "Size", "Taille", "Dimensione", "Grootte"}},
    {StringId::ColumnStatus, {"Estado", "Status", "Status", "État", "Stato", "Status"}},
    {StringId::ColumnHost, {"Equipo", "Host", "Host", "Hôte", "Host", "Host"}},
    {StringId::SizeKilobytes, {"%s kB", "%s kB", "%s kB", "%s kB", "%s kB", "%s kB"}},
    {StringId::LonelyHostHint,
     {"Inicie Wendaro en al menos otro equipo de la red local.",
      "Bitte starten Sie Wendaro auf mindestens einem weiteren Computer im lokalen Netzwerk.",
      "Please start Wendaro on at least one other computer in the local network.",
      "Veuillez démarrer Wendaro sur au moins un autre ordinateur du réseau local.",
      "Avviare Wendaro su almeno un altro computer della rete locale.",
      "Start Wendaro op minstens één andere computer in het lokale netwerk."}},
    {StringId::ExitWhileTransferring,
     {"Todavía se están transfiriendo archivos.\n¿Desea salir del programa de todos modos y "
      "cancelar las transferencias de archivos?",
      "Es werden noch Dateien übertragen.\nMöchten Sie das Programm trotzdem beenden und die "
      "Dateiübertragungen abbrechen?",
      "Files are still being transferred.\nDo you want to exit the program anyway and cancel the "
      "file transfers?",
      "Des fichiers sont encore en cours de transfert.\nVoulez-vous quand même quitter le "
      "programme et annuler les transferts de fichiers ?",
      "Alcuni file sono ancora in fase di trasferimento.\nUscire comunque dal programma e "
      "annullare i trasferimenti dei file?",
      "Er worden nog bestanden overgedragen.\nWilt u het programma toch afsluiten en de "
      "bestandsoverdrachten annuleren?"}},
    {StringId::MenuFile, {"&Archivo", "&Datei", "&File", "&Fichier", "&File", "&Bestand"}},
    {StringId::MenuTools,
     {"&Herramientas", "E&xtras", "&Tools", "&Outils", "S&trumenti", "E&xtra"}},
    {StringId::MenuHelp, {"Ay&uda", "&Hilfe", "&Help", "&Aide", "&Guida", "&Help"}},
    {StringId::MenuDownload,
     {"&Descargar", "&Herunterladen", "&Download", "&Télécharger", "&Scarica", "&Downloaden"}},
    {StringId::MenuDownloadTo,
     {"Descargar en %s", "Herunterladen nach %s", "Download to %s", "Télécharger dans %s",
      "Scarica in %s", "Downloaden naar %s"}},
    {StringId::MenuAddShare,
     {"&Añadir recurso compartido", "Freigabe hin&zufügen", "&Add share", "&Ajouter un partage",
      "&Aggiungi condivisione", "Gedeelde map &toevoegen"}},
    {StringId::MenuRemoveShare,
     {"&Quitar recurso compartido", "Freigabe ent&fernen", "&Remove share", "&Supprimer le partage",
      "&Rimuovi condivisione", "Gedeelde map &verwijderen"}},
    {StringId::MenuShareProperties,
     {"&Propiedades del recurso compartido", "Freigabe-&Eigenschaften", "Share &properties",
      "&Propriétés du partage", "&Proprietà condivisione", "&Eigenschappen van gedeelde map"}},
    {StringId::MenuAddHostManually,
     {"Añadir equipo &manualmente", "Host &manuell hinzufügen", "Add host &manually",
      "Ajouter un hôte &manuellement", "Aggiungi host &manualmente", "Host &handmatig toevoegen"}},
    {StringId::MenuRemoveHost,
     {"Quitar &equipo", "Host en&tfernen", "Remove &host", "Supprimer l'&hôte", "Rimuovi &host",
      "Host ve&rwijderen"}},
    {StringId::MenuRefresh,
     {"Ac&tualizar", "&Aktualisieren", "Re&fresh", "Actualis&er", "A&ggiorna", "Ver&nieuwen"}},
    {StringId::MenuClose, {"&Cerrar", "&Schließen", "&Close", "&Fermer", "&Chiudi", "&Sluiten"}},
    {StringId::MenuOptions,
     {"&Opciones", "&Optionen", "&Options", "&Options", "&Opzioni", "&Opties"}},
    {StringId::MenuHelpTopics,
     {"&Temas de ayuda", "&Hilfethemen", "&Help Topics", "&Rubriques d'aide",
      "&Argomenti della Guida", "&Helponderwerpen"}},
    {StringId::MenuAbout,
     {"&Acerca de Tavrin Wendaro", "Ü&ber Tavrin Wendaro", "&About Tavrin Wendaro",
      "À &propos de Tavrin Wendaro", "&Informazioni su Tavrin Wendaro", "&Over Tavrin Wendaro"}},
    {StringId::MenuCancel,
     {"&Cancelar", "&Abbrechen", "&Cancel", "&Annuler", "&Annulla", "&Annuleren"}},
    {StringId::UnknownHostWantsDownload,
     {"Un equipo desconocido con la dirección IP %s quiere descargar un archivo de su "
      "equipo.\n¿Desea permitirlo?",
      "Ein unbekannter Host mit der IP-Adresse %s möchte eine Datei von Ihnen "
      "herunterladen.\nMöchten Sie das zulassen?",
      "A unknown host with the ip address %s wants to download a file from you.\nDo you want to "
      "allow this?",
      "Un hôte inconnu ayant l'adresse IP %s souhaite télécharger un fichier depuis votre "
      "ordinateur.\nVoulez-vous l'autoriser ?",
      "Un host sconosciuto con indirizzo IP %s vuole scaricare un file da questo "
      "computer.\nConsentire l'operazione?",
      "Een onbekende host met het IP-adres %s wil een bestand van u downloaden.\nWilt u dit "
      "toestaan?"}},
    {StringId::StatusWait, {"Esperando", "Warten", "Wait", "En attente", "In attesa", "Wachten"}},
    {StringId::StatusReceive,
     {"Recibiendo %u%% (%s KB/s)", "Empfangen %u%% (%s KB/s)", "Receive %u%% (%s KB/s)",
      "Réception %u%% (%s Ko/s)", "Ricezione %u%% (%s KB/s)", "Ontvangen %u%% (%s KB/s)"}},
    {StringId::StatusSend,
     {"Enviando %u%% (%s KB/s)", "Senden %u%% (%s KB/s)", "Send %u%% (%s KB/s)",
      "Envoi %u%% (%s Ko/s)", "Invio %u%% (%s KB/s)", "Verzenden %u%% (%s KB/s)"}},
    {StringId::StatusCancelled,
     {"Cancelado", "Abgebrochen", "Cancelled", "Annulé", "Annullato", "Geannuleerd"}},
    {StringId::StatusFailed,
     {"Error", "Fehlgeschlagen", "Failed", "Échec", "Non riuscito", "Mislukt"}},
    {StringId::StatusFinished,
     {"Finalizado", "Fertig", "Finished", "Terminé", "Completato", "Voltooid"}},
    {StringId::StatusReceiveFolder,
     {"Recibiendo (%i/%i) %u%% (%s KB/s)", "Empfangen (%i/%i) %u%% (%s KB/s)",
      "Receive (%i/%i) %u%% (%s KB/s)", "Réception (%i/%i) %u%% (%s Ko/s)",
      "Ricezione (%i/%i) %u%% (%s KB/s)", "Ontvangen (%i/%i) %u%% (%s KB/s)"}},
    {StringId::StandbyWhileTransferring,
     {"Todas las transferencias de datos en curso se interrumpirán si entra ahora en modo de "
      "espera.\n¿Desea continuar?",
      "Alle laufenden Datenübertragungen werden unterbrochen, wenn Sie jetzt in den Standby-Modus "
      "wechseln.\nMöchten Sie fortfahren?",
      "All current data transfers will be interrupted if you enter standby mode at this time.\nDo "
      "you wish to continue?",
      "Tous les transferts de données en cours seront interrompus si vous passez maintenant en "
      "mode veille.\nVoulez-vous continuer ?",
      "Tutti i trasferimenti di dati in corso verranno interrotti se si passa ora alla modalità "
      "standby.\nContinuare?",
      "Alle lopende gegevensoverdrachten worden onderbroken als u nu naar de stand-bymodus "
      "gaat.\nWilt u doorgaan?"}},
    {StringId::SelectTargetFolder,
     {"Seleccione la carpeta de destino.", "Wählen Sie den Zielordner aus.",
      "Select the target directory.", "Sélectionnez le dossier de destination.",
      "Selezionare la cartella di destinazione.", "Selecteer de doelmap."}},
    {StringId::FileExists,
     {"Ya existe un archivo con el nombre \"%s\". ¿Desea sobrescribirlo?",
      "Eine Datei mit dem Namen \"%s\" ist bereits vorhanden. Möchten Sie sie überschreiben?",
      "A file with the name \"%s\" already exists. Do you want to overwrite it?",
      "Un fichier nommé \"%s\" existe déjà. Voulez-vous le remplacer ?",
      "Esiste già un file denominato \"%s\". Sovrascriverlo?",
      "Er bestaat al een bestand met de naam \"%s\". Wilt u het overschrijven?"}},
    {StringId::FolderExists,
     {"Ya existe una carpeta llamada \"%s\".\n\nSi los archivos de la carpeta existente tienen el "
      "mismo nombre que los de la carpeta que está descargando, se reemplazarán. ¿Desea descargar "
      "la carpeta de todos modos?",
      "Ein Ordner namens \"%s\" ist bereits vorhanden.\n\nWenn Dateien im vorhandenen Ordner "
      "denselben Namen haben wie Dateien im Ordner, den Sie herunterladen, werden sie ersetzt. "
      "Möchten Sie den Ordner trotzdem herunterladen?",
      "A folder named \"%s\" already exists.\n\nIf the files in the existing folder have the same "
      "name as the files in the folder you are downloading, they will be replaced. Do you still "
      "want to download the folder?",
      "Un dossier nommé \"%s\" existe déjà.\n\nSi des fichiers du dossier existant portent le même "
      "nom que des fichiers du dossier que vous téléchargez, ils seront remplacés. Voulez-vous "
      "quand même télécharger le dossier ?",
      "Esiste già una cartella denominata \"%s\".\n\nSe i file della cartella esistente hanno lo "
      "stesso nome dei file della cartella che si sta scaricando, verranno sostituiti. Scaricare "
      "comunque la cartella?",
      "Er bestaat al een map met de naam \"%s\".\n\nAls bestanden in de bestaande map dezelfde "
      "naam hebben als bestanden in de map die u downloadt, worden ze vervangen. Wilt u de map "
      "toch downloaden?"}},
    {StringId::AddHostTitle,
     {"Añadir equipo manualmente", "Host manuell hinzufügen", "Add host manually",
      "Ajouter un hôte manuellement", "Aggiungi host manualmente", "Host handmatig toevoegen"}},
    {StringId::AddHostExplanation,
     {"Introduzca la dirección IP o el nombre del equipo. (Puertos 12346 y 12347)",
      "Bitte geben Sie die IP-Adresse oder den Namen des Hosts ein. (Port 12346 und 12347)",
      "Please enter the IP address of the host or the host name. (Port 12346 und 12347)",
      "Veuillez saisir l'adresse IP ou le nom de l'hôte. (Ports 12346 et 12347)",
      "Immettere l'indirizzo IP o il nome dell'host. (Porte 12346 e 12347)",
      "Voer het IP-adres of de naam van de host in. (Poort 12346 en 12347)"}},
    {StringId::AddHostLabel, {"&Equipo:", "&Host:", "&Host:", "&Hôte :", "&Host:", "&Host:"}},
    {StringId::ButtonOk, {"Aceptar", "OK", "OK", "OK", "OK", "OK"}},
    {StringId::ButtonCancel,
     {"Cancelar", "Abbrechen", "Cancel", "Annuler", "Annulla", "Annuleren"}},
    {StringId::HostNotResolved,
     {"No se pudo resolver el nombre del equipo. Introduzca el nombre correcto.",
      "Der Hostname konnte nicht aufgelöst werden. Bitte geben Sie den richtigen Hostnamen ein.",
      "The host name could not be resolved. Please enter the correct host name.",
      "Impossible de résoudre le nom d'hôte. Veuillez saisir le nom d'hôte correct.",
      "Impossibile risolvere il nome host. Immettere il nome host corretto.",
      "De hostnaam kan niet worden omgezet. Voer de juiste hostnaam in."}},
    {StringId::OptionsGeneralPage,
     {"General", "Allgemein", "General", "Général", "Generale", "Algemeen"}},
    {StringId::OptionsComputerGroup,
     {"Configuración del equipo", "Computereinstellungen", "Computer Settings",
      "Paramètres de l'ordinateur", "Impostazioni computer", "Computerinstellingen"}},
    {StringId::OptionsComputerName,
     {"&Nombre del equipo:", "&Computername:", "&Computer name:", "&Nom de l'ordinateur :",
      "&Nome computer:", "&Computernaam:"}},
    {StringId::OptionsSoundGroup,
     {"Configuración de sonido", "Soundeinstellungen", "Sound Settings", "Paramètres du son",
      "Impostazioni audio", "Geluidsinstellingen"}},
    {StringId::OptionsActivateSounds,
     {"&Activar sonidos", "&Sounds aktivieren", "&Activate sounds", "&Activer les sons",
      "&Attiva suoni", "Geluiden &inschakelen"}},
    {StringId::OptionsComputerNameHelp,
     {"Escriba en este campo un nombre para su equipo.\nLos demás usuarios de Wendaro verán este "
      "nombre.",
      "Geben Sie in diesem Feld einen Namen für Ihren Computer an.\nDiesen Namen sehen andere "
      "Wendaro-Benutzer.",
      "In this field, provide a name for your computer.\nThis name will be seen by other Wendaro "
      "users.",
      "Indiquez dans ce champ un nom pour votre ordinateur.\nCe nom sera visible par les autres "
      "utilisateurs de Wendaro.",
      "In questo campo immettere un nome per il computer.\nQuesto nome sarà visibile agli altri "
      "utenti di Wendaro.",
      "Geef in dit veld een naam op voor uw computer.\nDeze naam is zichtbaar voor andere "
      "Wendaro-gebruikers."}},
    {StringId::OptionsSoundHelp,
     {"¿Desea que determinados eventos, como la recepción de un mensaje de chat, se indiquen con "
      "un sonido?",
      "Sollen bestimmte Ereignisse, etwa der Empfang einer Chat-Nachricht, durch einen Ton "
      "signalisiert werden?",
      "Would you like certain events, such as receiving a chat message, to be signaled by a sound?",
      "Voulez-vous que certains événements, comme la réception d'un message de discussion, soient "
      "signalés par un son ?",
      "Segnalare con un suono determinati eventi, come la ricezione di un messaggio di chat?",
      "Wilt u dat bepaalde gebeurtenissen, zoals het ontvangen van een chatbericht, met een geluid "
      "worden gemeld?"}},
    {StringId::ShareDialogTitle,
     {"Propiedades del recurso compartido", "Freigabeeigenschaften", "Share properties",
      "Propriétés du partage", "Proprietà condivisione", "Eigenschappen van gedeelde map"}},
    {StringId::ShareGroup,
     {"Recurso compartido", "Freigabe", "Share", "Partage", "Condivisione", "Gedeelde map"}},
    {StringId::ShareNameLabel, {"&Nombre:", "&Name:", "&Name:", "&Nom :", "&Nome:", "&Naam:"}},
    {StringId::SharePathLabel, {"&Ruta:", "&Pfad:", "&Path:", "&Chemin :", "&Percorso:", "&Pad:"}},
    {StringId::ShareBrowseButton,
     {"E&xaminar...", "&Durchsuchen...", "&Browse...", "P&arcourir...", "&Sfoglia...",
      "&Bladeren..."}},
    {StringId::SelectShareFolder,
     {"Seleccione la carpeta que desea compartir.",
      "Bitte wählen Sie den Ordner aus, den Sie freigeben möchten.",
      "Please select the folder that you want to share.",
      "Veuillez sélectionner le dossier que vous souhaitez partager.",
      "Selezionare la cartella da condividere.", "Selecteer de map die u wilt delen."}},
    {StringId::ShareNameAndPathMissing,
     {"Introduzca el nombre y la ruta del nuevo recurso compartido.",
      "Bitte geben Sie Namen und Pfad der neuen Freigabe ein.",
      "Please enter the name and path for the new share.",
      "Veuillez saisir le nom et le chemin du nouveau partage.",
      "Immettere il nome e il percorso della nuova condivisione.",
      "Voer de naam en het pad van de nieuwe gedeelde map in."}},
    {StringId::ShareNameBackslash,
     {"No utilice el carácter '\\' en el nombre del recurso compartido.",
      "Bitte verwenden Sie das Zeichen '\\' nicht im Freigabenamen.",
      "Please do not use the '\\' character in your share name.",
      "N'utilisez pas le caractère '\\' dans le nom du partage.",
      "Non utilizzare il carattere '\\' nel nome della condivisione.",
      "Gebruik het teken '\\' niet in de naam van de gedeelde map."}},
    {StringId::SharePathInvalid,
     {"La ruta especificada no es válida.", "Der angegebene Pfad ist ungültig.",
      "The specified path is not valid.", "Le chemin indiqué n'est pas valide.",
      "Il percorso specificato non è valido.", "Het opgegeven pad is ongeldig."}},
    {StringId::WizardCaptionFirstRun,
     {"Asistente de instalación de Tavrin Wendaro", "Tavrin Wendaro-Installationsassistent",
      "Tavrin Wendaro installation wizard", "Assistant d'installation de Tavrin Wendaro",
      "Installazione guidata di Tavrin Wendaro", "Installatiewizard van Tavrin Wendaro"}},
    {StringId::WizardCaptionShare,
     {"Asistente para compartir de Tavrin Wendaro", "Tavrin Wendaro-Freigabeassistent",
      "Tavrin Wendaro share wizard", "Assistant de partage de Tavrin Wendaro",
      "Condivisione guidata di Tavrin Wendaro", "Deelwizard van Tavrin Wendaro"}},
    {StringId::WelcomeTitleFirstRun,
     {"Bienvenido al\nasistente de instalación de Tavrin Wendaro",
      "Willkommen beim\nTavrin Wendaro-Installationsassistenten",
      "Welcome to the\nTavrin Wendaro installation wizard",
      "Bienvenue dans\nl'assistant d'installation de Tavrin Wendaro",
      "Benvenuti\nnell'installazione guidata di Tavrin Wendaro",
      "Welkom bij de\ninstallatiewizard van Tavrin Wendaro"}},
    {StringId::WelcomeIntroFirstRun,
     {"Con Tavrin Wendaro, compartir archivos en su red local es un juego de niños.",
      "Mit Tavrin Wendaro wird das Freigeben von Dateien im lokalen Netzwerk zum Kinderspiel.",
      "Tavrin Wendaro makes sharing files in your local network child's play.",
      "Avec Tavrin Wendaro, partager des fichiers sur votre réseau local devient un jeu d'enfant.",
      "Con Tavrin Wendaro condividere file nella rete locale è un gioco da ragazzi.",
      "Met Tavrin Wendaro is het delen van bestanden in uw lokale netwerk kinderspel."}},
    {StringId::WelcomeGuideFirstRun,
     {"Este asistente le guiará por los pasos básicos de configuración necesarios para dejar "
      "Tavrin Wendaro completamente listo.",
      "Dieser Assistent führt Sie durch die grundlegenden Schritte, die zur vollständigen "
      "Einrichtung von Tavrin Wendaro nötig sind.",
      "This wizard will guide you through the basic configuration steps needed to fully set up "
      "Tavrin Wendaro.",
      "Cet assistant vous guide à travers les étapes de configuration de base nécessaires pour "
      "installer complètement Tavrin Wendaro.",
      "Questa procedura guidata illustra i passaggi di configurazione di base necessari per "
      "impostare completamente Tavrin Wendaro.",
      "Deze wizard leidt u door de basisstappen die nodig zijn om Tavrin Wendaro volledig in te "
      "stellen."}},
    {StringId::WelcomeFollowFirstRun,
     {"Siga las instrucciones de las pantallas siguientes.",
      "Folgen Sie den Anweisungen auf den nächsten Seiten.",
      "Follow the instructions on the following screens.",
      "Suivez les instructions des écrans suivants.",
      "Seguire le istruzioni nelle schermate successive.",
      "Volg de instructies op de volgende schermen."}},
    {StringId::WelcomeTitleShare,
     {"Bienvenido al asistente para compartir de Tavrin Wendaro",
      "Willkommen beim Tavrin Wendaro-Freigabeassistenten",
      "Welcome to the Tavrin Wendaro share wizard",
      "Bienvenue dans l'assistant de partage de Tavrin Wendaro",
      "Benvenuti nella condivisione guidata di Tavrin Wendaro",
      "Welkom bij de deelwizard van Tavrin Wendaro"}},
    {StringId::WelcomeIntroShare,
     {"Comparta una carpeta para que otros usuarios de Tavrin Wendaro puedan descargar archivos de "
      "su equipo.",
      "Bitte geben Sie einen Ordner frei, damit andere Tavrin Wendaro-Benutzer Dateien von Ihnen "
      "herunterladen können.",
      "Please share a folder so that other Tavrin Wendaro users can download files from you.",
      "Partagez un dossier afin que d'autres utilisateurs de Tavrin Wendaro puissent télécharger "
      "vos fichiers.",
      "Condividere una cartella in modo che altri utenti di Tavrin Wendaro possano scaricare file "
      "da questo computer.",
      "Deel een map, zodat andere gebruikers van Tavrin Wendaro bestanden van u kunnen "
      "downloaden."}},
    {StringId::WelcomeGuideShare,
     {"Otros usuarios de Tavrin Wendaro podrán descargar todos los archivos de la carpeta "
      "compartida, así como el contenido de sus subcarpetas.",
      "Alle Dateien im freigegebenen Ordner sowie der Inhalt aller Unterordner können von anderen "
      "Tavrin Wendaro-Benutzern heruntergeladen werden.",
      "All of the files in the folder you have shared as well as the contents of any subfolders "
      "can be downloaded by other Tavrin Wendaro users.",
      "Tous les fichiers du dossier partagé, ainsi que le contenu de ses sous-dossiers, pourront "
      "être téléchargés par les autres utilisateurs de Tavrin Wendaro.",
      "Tutti i file della cartella condivisa e il contenuto delle relative sottocartelle potranno "
      "essere scaricati da altri utenti di Tavrin Wendaro.",
      "Alle bestanden in de gedeelde map en de inhoud van alle submappen kunnen door andere "
      "gebruikers van Tavrin Wendaro worden gedownload."}},
    {StringId::WelcomeFollowShare,
     {"Siga las instrucciones de las pantallas siguientes.",
      "Folgen Sie den Anweisungen auf den nächsten Seiten.",
      "Follow the instructions on the following screens.",
      "Suivez les instructions des écrans suivants.",
      "Seguire le istruzioni nelle schermate successive.",
      "Volg de instructies op de volgende schermen."}},
    {StringId::WelcomeClickNext,
     {"Haga clic en Siguiente para continuar.", "Klicken Sie auf \"Weiter\", um fortzufahren.",
      "Click Next to continue.", "Cliquez sur Suivant pour continuer.",
      "Fare clic su Avanti per continuare.", "Klik op Volgende om door te gaan."}},
    {StringId::ComputerNameTitle,
     {"Escriba un nombre de equipo", "Computernamen eingeben", "Enter a computer name",
      "Entrez un nom d'ordinateur", "Immettere un nome computer", "Voer een computernaam in"}},
    {StringId::ComputerNameSubtitle,
     {"Asigne un nombre a su equipo.", "Geben Sie Ihrem Computer einen Namen.",
      "Assign a name to your computer.", "Attribuez un nom à votre ordinateur.",
      "Assegnare un nome al computer.", "Geef uw computer een naam."}},
    {StringId::ComputerNameExplanation,
     {"Asigne un nombre a su equipo. Los demás usuarios de Tavrin Wendaro verán este nombre como "
      "su nombre de usuario.",
      "Geben Sie Ihrem Computer einen Namen. Dieser Name wird anderen Tavrin Wendaro-Benutzern als "
      "Ihr Benutzername angezeigt.",
      "Assign a name to your computer. This name will be displayed to other Tavrin Wendaro users "
      "as your user name.",
      "Attribuez un nom à votre ordinateur. Ce nom sera affiché aux autres utilisateurs de Tavrin "
      "Wendaro comme votre nom d'utilisateur.",
      "Assegnare un nome al computer. Questo nome verrà mostrato agli altri utenti di Tavrin "
      "Wendaro come nome utente.",
      "Geef uw computer een naam. Deze naam wordt aan andere gebruikers van Tavrin Wendaro getoond "
      "als uw gebruikersnaam."}},
    {StringId::ComputerNameLabel,
     {"&Nombre del equipo:", "&Computername:", "&Computer name:", "&Nom de l'ordinateur :",
      "&Nome computer:", "&Computernaam:"}},
    {StringId::ShareFolderNow,
     {"Deseo compartir una carpeta ahora.", "Ich möchte jetzt einen Ordner freigeben.",
      "I would like to share a folder now.", "Je souhaite partager un dossier maintenant.",
      "Desidero condividere una cartella adesso.", "Ik wil nu een map delen."}},
    {StringId::ShareFolderTitle,
     {"Configurar una carpeta compartida", "Freigegebenen Ordner einrichten",
      "Set up a shared folder", "Configurer un dossier partagé", "Configura una cartella condivisa",
      "Een gedeelde map instellen"}},
    {StringId::ShareFolderSubtitle,
     {"Seleccione una carpeta para compartirla con Tavrin Wendaro.",
      "Bitte wählen Sie einen Ordner aus, der mit Tavrin Wendaro freigegeben werden soll.",
      "Please select a folder to be shared with Tavrin Wendaro.",
      "Veuillez sélectionner un dossier à partager avec Tavrin Wendaro.",
      "Selezionare una cartella da condividere con Tavrin Wendaro.",
      "Selecteer een map die u met Tavrin Wendaro wilt delen."}},
    {StringId::ShareFolderExplanation,
     {"Al compartir una carpeta, pone sus archivos a disposición de otros usuarios de Tavrin "
      "Wendaro para que los descarguen.",
      "Durch das Freigeben eines Ordners stellen Sie Dateien für andere Tavrin Wendaro-Benutzer "
      "zum Herunterladen bereit.",
      "By sharing a folder, you are making files available for download by other Tavrin Wendaro "
      "users.",
      "En partageant un dossier, vous mettez des fichiers à la disposition des autres utilisateurs "
      "de Tavrin Wendaro, qui pourront les télécharger.",
      "Condividendo una cartella, i file diventano disponibili per il download da parte di altri "
      "utenti di Tavrin Wendaro.",
      "Door een map te delen, stelt u bestanden beschikbaar die andere gebruikers van Tavrin "
      "Wendaro kunnen downloaden."}},
    {StringId::ShareFolderContents,
     {"Todos los archivos de la carpeta compartida y el contenido de todas sus subcarpetas estarán "
      "disponibles para su descarga.",
      "Alle Dateien im freigegebenen Ordner und der Inhalt aller Unterordner stehen zum "
      "Herunterladen bereit.",
      "All files in the shared folder and the contents of all subfolders will be available for "
      "download.",
      "Tous les fichiers du dossier partagé et le contenu de tous ses sous-dossiers pourront être "
      "téléchargés.",
      "Tutti i file della cartella condivisa e il contenuto di tutte le sottocartelle saranno "
      "disponibili per il download.",
      "Alle bestanden in de gedeelde map en de inhoud van alle submappen zijn beschikbaar om te "
      "downloaden."}},
    {StringId::SharePathFieldLabel,
     {"Ruta del recurso:", "Freigabepfad:", "Share path:", "Chemin du partage :",
      "Percorso condivisione:", "Pad van gedeelde map:"}},
    {StringId::WizardBrowseButton,
     {"Examinar", "Durchsuchen", "Browse", "Parcourir", "Sfoglia", "Bladeren"}},
    {StringId::ShareNameSubtitle,
     {"Elija un nombre para este recurso compartido.", "Wählen Sie einen Namen für diese Freigabe.",
      "Choose a name for this share.", "Choisissez un nom pour ce partage.",
      "Scegliere un nome per questa condivisione.", "Kies een naam voor deze gedeelde map."}},
    {StringId::ShareNameExplanation,
     {"Este nombre se mostrará a todos los demás usuarios de Tavrin Wendaro en lugar de la carpeta "
      "compartida.",
      "Dieser Name wird allen anderen Tavrin Wendaro-Benutzern anstelle des freigegebenen Ordners "
      "angezeigt.",
      "This name will be displayed to all other Tavrin Wendaro users in place of the shared "
      "folder.",
      "Ce nom sera affiché à tous les autres utilisateurs de Tavrin Wendaro à la place du dossier "
      "partagé.",
      "Questo nome verrà mostrato a tutti gli altri utenti di Tavrin Wendaro al posto della "
      "cartella condivisa.",
      "Deze naam wordt aan alle andere gebruikers van Tavrin Wendaro getoond in plaats van de "
      "gedeelde map."}},
    {StringId::ShareNameFieldLabel,
     {"Nombre del recurso:", "Freigabename:", "Share name:", "Nom du partage :",
      "Nome condivisione:", "Naam van gedeelde map:"}},
    {StringId::CompletedTitle,
     {"El asistente de Tavrin Wendaro ha finalizado correctamente",
      "Der Tavrin Wendaro-Assistent wurde erfolgreich abgeschlossen",
      "Tavrin Wendaro wizard has completed successfully",
      "L'assistant Tavrin Wendaro s'est terminé avec succès",
      "La procedura guidata di Tavrin Wendaro è stata completata",
      "De wizard van Tavrin Wendaro is voltooid"}},
    {StringId::CompletedText,
     {"Tavrin Wendaro ya está completamente configurado.",
      "Tavrin Wendaro ist jetzt vollständig eingerichtet.",
      "Tavrin Wendaro is now fully configured.",
      "Tavrin Wendaro est maintenant entièrement configuré.",
      "Tavrin Wendaro è ora completamente configurato.",
      "Tavrin Wendaro is nu volledig geconfigureerd."}},
}};

}  // namespace ui

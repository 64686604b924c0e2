; The installer's own Swedish texts: its page of choices, the type names and menu entries it
; writes for Explorer, and what it tells in its log. Included after the language.

LangString SectionProgram ${LANG_SWEDISH} "Quillseal"
LangString SectionProgramText ${LANG_SWEDISH} "Programmen, Start-menyn och Quillseals filtyper i Utforskaren."
LangString SectionPath ${LANG_SWEDISH} "Kommandoraden i PATH"
LangString SectionPathText ${LANG_SWEDISH} "Lägger till programmets mapp i systemets PATH, så att quillseal-cli kan köras från alla kommandotolkar."

LangString TypeEncrypted ${LANG_SWEDISH} "Krypterad fil (Quillseal)"
LangString TypeSignature ${LANG_SWEDISH} "Signaturfil (Quillseal)"
LangString TypeCertificate ${LANG_SWEDISH} "Certifikat (Quillseal)"
LangString TypeCertification ${LANG_SWEDISH} "Certifiering (Quillseal)"
LangString TypePublicKey ${LANG_SWEDISH} "Publik nyckel för certifiering (Quillseal)"
LangString TypePublicCertKey ${LANG_SWEDISH} "Publik certifieringsnyckel (Quillseal)"
LangString TypePrivateCertKey ${LANG_SWEDISH} "Privat certifieringsnyckel (Quillseal)"
LangString TypeKeyBackup ${LANG_SWEDISH} "Säkerhetskopia av nyckelpar (Quillseal)"

LangString VerbEncrypt ${LANG_SWEDISH} "Kryptera med Quillseal"
LangString VerbDecrypt ${LANG_SWEDISH} "Dekryptera med Quillseal"
LangString VerbSign ${LANG_SWEDISH} "Signera med Quillseal"
LangString VerbVerify ${LANG_SWEDISH} "Verifiera med Quillseal"

LangString PathNotRead ${LANG_SWEDISH} "Systemets PATH kunde inte läsas och lämnades orörd."
LangString PathNotWritten ${LANG_SWEDISH} "Systemets PATH kunde inte ändras."

// The fixed Dutch vocabulary of the detectors: whole-word sets (exact,
// case-sensitive) and the word lists that patterns use as alternation bodies.

// With the Flemish one-word particles ("Vanden Berghe", "Vander Elst").
export const TUSSENVOEGSELS = new Set([
  'van', 'de', 'der', 'den', 'het', 'ten', 'ter', 'te', 'in', "'t",
  'op', 'la', 'le', 'du', 'da', 'di', 'von', 'vd', 'v.d.', 'vanden', 'vander', 'vande',
]);

// Particles of Moroccan-Dutch and French-Belgian names; only in lower case,
// since "Ben" and "Al" are also first names.
export const TUSSENVOEGSELS_ELDERS = ['el', 'al', 'ben', 'ait', 'du', 'le', 'la'];

// Particles that start a surname when capitalised ("De Wit", "Van Dam").
export const HOOFD_TV = new Set(['De', 'Van', 'Den', 'Ter', 'Ten', 'Het']);

// Capital groups that look like initials but are abbreviations.
export const GEEN_VOORLETTERS = new Set([
  'BV', 'NV', 'CV', 'VOF', 'UA', 'BA', 'NB', 'IE', 'EU', 'VS', 'PS', 'AB',
  'BW', 'OB', 'IB', 'VPB', 'AOW', 'WA',
]);

export const INSTELLING_EIND = new Set([
  'Nederlanden', 'Aandeelhouders', 'Commissarissen', 'Bestuur', 'Koophandel',
  'Financiën', 'Justitie', 'State', 'Toezicht', 'Europa', 'Oranje', 'Nederland',
  'België', 'Belastingen', 'Arbeid', 'Economische', 'Zaken', 'Mens', 'Ondernemingen',
  'Testamenten',
]);

// Capitalised words that begin sentences, headings, labels and letters and
// never form a name by themselves.
export const STOPWOORDEN = new Set([
  'Door', 'Aan', 'Voor', 'Bij', 'Namens', 'Hierbij', 'Inzake', 'Betreft',
  'Ondergetekende', 'Met', 'En', 'Of', 'Dat', 'Die', 'Naam', 'Klant', 'Cliënt',
  'Opdrachtgever', 'Vennootschap', 'Onderneming', 'Statutaire', 'Toelichting',
  'Jaarrekening', 'De', 'Het', 'Een', 'Dit', 'Deze', 'Wij', 'Ik', 'U', 'Uw',
  'Zij', 'Hij', 'Ze', 'We', 'In', 'Op', 'Na', 'Zie', 'Als', 'Er', 'Ook', 'Om',
  'Van', 'Naar', 'Uit', 'Tot', 'Daar', 'Hier', 'Dan', 'Toen', 'Nu', 'Maar',
  'Want', 'Dus', 'Indien', 'Mocht', 'Graag', 'Gelet', 'Verder', 'Tevens',
  'Bovendien', 'Alle', 'Geen', 'Wel', 'Niet', 'Volgens', 'Geachte', 'Beste',
  'Datum', 'Onderwerp', 'Bijlage', 'Zoals', 'Omdat', 'Waar', 'Wat', 'Wie',
  'Wanneer', 'Hoe', 'Daarom', 'Daarna', 'Vervolgens', 'Echter', 'Tenslotte',
  'Over', 'Onder', 'Tussen', 'Sinds', 'Tijdens', 'Ondanks', 'Conform', 'Per',
  'Totaal', 'Mevrouw', 'Heer', 'Erfgenamen', 'Erflater', 'Executeur', 'Adres',
  'Woonplaats', 'Telefoon', 'Bestuur', 'Ondertekening', 'Handtekening',
  'Partner', 'Fiscale', 'Nationaliteit', 'Geboorteplaats', 'Gemachtigde',
  'Gebruik', 'Lees', 'Bekijk', 'Bereken', 'Download', 'Controleer', 'Kies',
  'Vul', 'Maak', 'Zet', 'Open', 'Start', 'Vind', 'Ontdek', 'Naast', 'Behalve',
  'Binnen', 'Buiten', 'Rond', 'Langs', 'Vanaf', 'Vanuit', 'Zonder', 'Wegens',
  'Dankzij', 'Inclusief', 'Exclusief', 'Ja', 'Nee', 'Nvt', 'Onbekend',
]);

// First words of institutions, laws, documents and offices.
export const INSTELLING_BEGIN = new Set([
  'Raad', 'Kamer', 'Wet', 'Hof', 'Ministerie', 'Minister', 'Staatssecretaris',
  'Staat', 'Koninkrijk', 'Vergadering', 'Besluit', 'Gemeente', 'Provincie',
  'Bank', 'College', 'Commissie', 'Rechtbank', 'Huis', 'Vereniging',
  'Rijksdienst', 'Dienst', 'Afdeling', 'Directie', 'Hoge', 'Algemene', 'Tweede',
  'Eerste', 'Centrale', 'Europese', 'Universiteit', 'Ziekenhuis', 'Kantoor',
  'Bureau', 'Prins', 'Prinses', 'Koning', 'Koningin', 'Graaf', 'Hertog',
  'Burgemeester', 'Wethouder', 'Notaris', 'Kerk', 'Fonds', 'Stichting',
  'Jaarrekening', 'Aangifte', 'Balans', 'Overzicht', 'Toelichting', 'Verslag',
  'Bestuur', 'Akte', 'Verklaring', 'Opgave', 'Reglement', 'Statuten',
  'Wijziging', 'Model', 'Notulen', 'Raadsheer', 'Officier', 'Hoofd', 'Lid',
  'Leden', 'Bijlage', 'Artikel', 'Hoofdstuk', 'Paragraaf', 'Kantonrechter',
  'Rechten',
]);

// Field labels after which a person's name stands; each is pattern source.
export const VELDNAMEN = [
  'naam', 'naam belastingplichtige', 'naam fiscale partner', 'naam partner',
  'naam aanvrager', 'naam cliënt', 'naam klant', 'naam bestuurder',
  'naam echtgeno(?:o)?t(?:e)?', 'volledige naam', 'voornamen', 'voornaam',
  'achternaam', 'geslachtsnaam', 'cliënt', 'klant', 'aanvrager',
  'belastingplichtige', 'bestuurders?', 'directeur(?:en)?', 'aandeelhouders?',
  'uiteindelijk belanghebbende(?:n)?', 'ubo', 'fiscale partner', 'partner',
  'echtgeno(?:o)?t(?:e)?', 'kind(?:eren)?', 'erflater', 'overledene',
  'erfgena(?:a)?m(?:en)?', 'executeur', 'vennoot', 'vennoten', 'gemachtigde',
  'contactpersoon', 'ondertekenaar', 'getuige', 'huurder', 'verhuurder', 'koper',
  'verkoper', 'schenker', 'begiftigde', 'werknemer', 'adviseur', 'behandelaar',
  'opgesteld door', 'ondertekend door', 'behandeld door', 'gecontroleerd door',
  'voorletters', 'roepnaam', 'toeslagpartner',
];

// Column headers and field names of forms: never a person, also when a
// header row puts one after the label naam.
export const VELDKOPPEN = new Set([
  'Geboortedatum', 'Overlijdensdatum', 'Contactpersoon', 'Rechtsvorm', 'Voornaam', 'Voornamen',
  'Achternaam', 'Geslachtsnaam', 'Voorletters', 'Roepnaam', 'Tussenvoegsel', 'Initialen', 'Geslacht',
  'Postcode', 'Plaats', 'Straat', 'Huisnummer', 'Vestigingsplaats', 'Telefoonnummer', 'Mobiel',
  'E-mail', 'Email', 'Functie', 'Omschrijving', 'Bedrag', 'Kenmerk', 'Referentie', 'Relatienummer',
  'Klantnummer', 'Opmerking', 'Opmerkingen', 'Burgerservicenummer', 'Rekeningnummer', 'Bedrijfsnaam',
  'Handelsnaam', 'Aanhef', 'Ingangsdatum', 'Einddatum', 'Leeftijd', 'Relatie',
  'Status', 'Saldo', 'Type', 'Soort', 'Categorie', 'Nummer', 'Code', 'Land', 'Locatie', 'Aantal',
  'Prijs', 'Tarief', 'Eenheid', 'Periode', 'Paraaf', 'Bank', 'Uren', 'Inkomen', 'Vermogen', 'BSN', 'Bsn',
  'IBAN', 'Iban', 'Rekening',
]);

// Public bodies and their parts: a name that holds one of these words is
// never a person, also after "ten name van" or above an address.
export const OVERHEID = new Set([
  'Belastingdienst', 'Toeslagen', 'UWV', 'SVB', 'DUO', 'CJIB', 'RVO', 'RDW', 'IND', 'CBR', 'CAK',
  'KvK', 'Kadaster', 'Gemeente', 'Provincie', 'Waterschap', 'Hoogheemraadschap', 'Ministerie',
  'Rijksdienst', 'Rechtbank', 'FOD', 'Kruispuntbank', 'Register', 'Afdeling', 'Sociale',
  'Verzekeringsbank',
]);

// The words that open a French street name in a Belgian address ("Avenue
// Louise 54", "Rue de la Loi 16"), and the lower-case words inside one.
export const FRANSE_STRAATWOORDEN = [
  'Rue', 'Avenue', 'Boulevard', 'Chaussée', 'Place', 'Quai', 'Chemin', 'Allée', 'Square', 'Drève',
];
export const FRANSE_STRAATDELEN = ['de', 'du', 'des', 'la', 'le', 'les', 'au', 'aux', 'sur'];

// First words of street names that otherwise read as a name with particles
// ("Laan van Meerdervoort", "Rue de la Loi").
export const STRAAT_BEGIN = new Set([
  'Laan', 'Straat', 'Weg', 'Plein', 'Kade', 'Singel', 'Dreef', 'Gracht', 'Steeg', 'Markt',
  ...FRANSE_STRAATWOORDEN,
]);

// Field-label tests and the role prefix each gives, first match wins.
export const ROLLEN = [
  { re: /partner|echtgeno/i, rol: 'PARTNER' },
  { re: /^kind/i, rol: 'KIND' },
  { re: /erflater|overledene/i, rol: 'ERFLATER' },
  { re: /erfgena/i, rol: 'ERFGENAAM' },
  { re: /bestuurder|directeur/i, rol: 'BESTUURDER' },
  { re: /uiteindelijk|^ubo/i, rol: 'UBO' },
  { re: /gemachtigde/i, rol: 'GEMACHTIGDE' },
  { re: /belastingplichtige|cliënt|client|klant|aanvrager/i, rol: 'CLIENT' },
];

export const MAANDEN =
  'januari|februari|maart|april|mei|juni|juli|augustus|september|oktober|november|december';

// The usual abbreviations, each with an optional dot ("30 dec. 1964").
export const MAANDEN_KORT = String.raw`(?:jan|feb|mrt|apr|jun|jul|aug|sept?|okt|nov|dec)\.?`;

// Words after which a short number is another number than a client's: an
// article, a page, a code, a phone extension, the year of a date ("art.
// 1250", "blz. 12", "code 1250", "toestel 1250", "maart 2019").
export const ANDER_GETAL = [
  'art', 'artt', 'artikel', 'artikelen', 'p', 'pp', 'pag', 'pagina', 'blz', 'code', 'toestel', 'tst', ...MAANDEN.split('|'),
];

export const ACHTERVOEGSELS =
  'straat|weg|laan|plein|gracht|kade|singel|dijk|steeg|hof|park|dreef|pad|baan|markt|wal|haven|veld|ring|allee|straatweg|lei|plantsoen|dries|kaai|vest';

// Field labels after which a place stands, those after which an address
// does, and those after which a company does.
export const PLAATS_VELDNAMEN = [
  'woonplaats', 'geboorteplaats', 'vestigingsplaats', 'plaats', 'statutaire zetel', 'zetel', 'gemeente',
];
export const ADRES_VELDNAMEN = ['zetel', 'adres', 'wonende', 'gevestigd'];
export const BEDRIJF_VELDNAMEN = [
  'vennootschap', 'naam vennootschap', 'onderneming', 'naam onderneming', 'bedrijf', 'bedrijfsnaam', 'handelsnaam',
  'firma', 'firmanaam', 'werkgever', 'benaming', 'maatschappelijke naam', 'maatschappelijke benaming', 'rechtspersoon',
];

import { test } from 'node:test';
import assert from 'node:assert/strict';
import { detect } from '../../../web/src/core/detect.js';
import { rijksregisterOk } from '../../../web/src/core/numbers.js';

// Every hit of the category, checked against its offsets; a role is shown
// after a slash.
function hitsOf(text, cat) {
  return detect(text).filter((h) => h.cat === cat).map((h) => {
    assert.equal(text.slice(h.start, h.end), h.value, `offsets of ${h.value} in ${JSON.stringify(text)}`);
    return h.rol ? `${h.value}/${h.rol}` : h.value;
  });
}

// Each table: the text, the category, and every hit of that category it must
// give; an empty list marks a near miss that must stay without one.
function check(cases) {
  for (const [text, cat, values] of cases) assert.deepEqual(hitsOf(text, cat), values, JSON.stringify(text));
}

test('references after any label ending in nummer or nr, and after the usual labels without it', () => {
  check([
    ['Dossier: 2024-0057', 'KENMERK', ['2024-0057']],
    ['Uw referentie: VS/2023/17', 'KENMERK', ['VS/2023/17']],
    ['Ons dossier: GT-2023-112', 'KENMERK', ['GT-2023-112']],
    ['Kenmerk: 2024-0211/EvdL', 'KENMERK', ['2024-0211/EvdL']],
    ['polisnummer TO-55 0183 27', 'KENMERK', ['TO-55 0183 27']],
    ['leningnummer 40.17.882.301', 'KENMERK', ['40.17.882.301']],
    ['Schadenummer: S24-001744', 'KENMERK', ['S24-001744']],
    ['huurdernummer WP-0314', 'KENMERK', ['WP-0314']],
    ['klantnummer 123456', 'KENMERK', ['123456']],
    ['contractnummer C-2023-991 loopt', 'KENMERK', ['C-2023-991']],
    ['Factuur-nr. 2024.118', 'KENMERK', ['2024.118']],
    // Bare labels only before a colon or tab; a year is no reference.
    ['het dossier 2024 is gesloten', 'KENMERK', []],
    ['Dossier 2024-0057', 'KENMERK', []],
    ['Kenmerk: brief van maart', 'KENMERK', []],
    ['polisnummer AB-12', 'KENMERK', []],
    ['nummer 2024-0057', 'KENMERK', []],
    // A blank inside the value only between two digits.
    ['polisnummer 55-0183 is verlopen', 'KENMERK', ['55-0183']],
    ['Het aanslagnummer is 8540.12.377.V.45.', 'KENMERK', ['8540.12.377.V.45']],
    // Numbers with entries of their own keep their category.
    // A wage-tax number is taken whole: the RSIN inside it is never found alone.
    ['Loonheffingennummer 123456782L01', 'RSIN', []],
    ['Loonheffingennummer 123456782L01', 'KENMERK', ['123456782L01']],
    ['Omzetbelastingnummer NL123456782B01', 'KENMERK', []],
    ['telefoonnummer 020-1234567', 'TELEFOON', ['020-1234567']],
    ['huisnummer 1234', 'KENMERK', []],
    ['Versienummer 2.0.1', 'KENMERK', []],
    ['ingeschreven onder nummer 12345678 bij de Kamer van Koophandel', 'KENMERK', []],
  ]);
});

test('Belgian citizen numbers are found as BSN: by shape with valid check digits, after their label always', () => {
  // 97 minus the nine digits modulo 97, or with a 2 before them from 2000 on.
  assert.equal(rijksregisterOk('85.07.30-033.28'), true);
  assert.equal(rijksregisterOk('01020312345'), true);
  assert.equal(rijksregisterOk('85.07.30-033.29'), false);
  assert.equal(rijksregisterOk('85133003370'), false, 'month 13, check digits valid');
  assert.equal(rijksregisterOk('85270300000'.slice(0, 9) + String(97 - (852703000 % 97)).padStart(2, '0')), true, 'BIS month');
  check([
    ['rijksregisternummer 85.07.30-033.28', 'BSN', ['85.07.30-033.28']],
    ['Rijksregisternr.: 85073003328', 'BSN', ['85073003328']],
    ['INSZ 85.07.30-033.29', 'BSN', ['85.07.30-033.29']],
    ['NN: 85.07.30 033 29', 'BSN', ['85.07.30 033 29']],
    ['Identificatienummer: 85073003329', 'BSN', ['85073003329']],
    ['RRN 85.07.30-033.28, gehuwd', 'BSN', ['85.07.30-033.28']],
    ['geboren en getogen, 85073003328 en 01.02.03-123.45', 'BSN', ['85073003328', '01.02.03-123.45']],
    ['85.07.30-033.29', 'BSN', []],
    ['85133003370', 'BSN', []],
    ['RRN 85.07.30-033.2', 'BSN', []],
    ['850730033280', 'BSN', []],
    ['NNN 85.07.30-033.29', 'BSN', []],
  ]);
});

test('number forms with hyphens, blanks and a comma after them', () => {
  check([
    ['RSIN 897766064, gevestigd', 'RSIN', ['897766064']],
    ['RSIN 897766064,50', 'RSIN', []],
    ['BSN: 106-209-358', 'BSN', ['106-209-358']],
    ['BSN: 106-209-35', 'BSN', []],
    ['KvK-nr.: 2787 1161', 'KVK', ['2787 1161']],
    ['KvK-nr.: 2787 116', 'KVK', []],
    ['023 – 751 22 00', 'TELEFOON', ['023 – 751 22 00']],
    ['+31 (0)20 - 612 34 58', 'TELEFOON', ['+31 (0)20 - 612 34 58']],
    ['+31 70 - 3456 789', 'TELEFOON', ['+31 70 - 3456 789']],
    ['periode 01 – 02 – 2024', 'TELEFOON', []],
    // A chat line's date and hour is no phone number.
    ['[03-05-2024 09:14:22] Hakan Yılmaz: hoi', 'TELEFOON', []],
    ['03-05-2024 09.14', 'TELEFOON', []],
    ['Verzonden: 03-05-2024 09:14', 'TELEFOON', []],
    ['Tel: 06-12345678', 'TELEFOON', ['06-12345678']],
    ['legitimatie: paspoort NPH6TJ4K2', 'IDNR', ['NPH6TJ4K2']],
    ['rijbewijs, nummer 5503217764', 'IDNR', ['5503217764']],
    ['rijbewijs, nummer onbekend', 'IDNR', []],
    ['paspoort aangevraagd bij de gemeente', 'IDNR', []],
  ]);
});

test('dates of birth in ISO form, with abbreviated months, two-digit years and a qualified label', () => {
  check([
    ['Geboortedatum: 1985-06-27', 'GEBDATUM', ['1985-06-27']],
    ['Geboortedatum fiscale partner: 3 februari 1971', 'GEBDATUM', ['3 februari 1971']],
    ['geboren 30 dec. 1964', 'GEBDATUM', ['30 dec. 1964']],
    ['geboren 4 sept 1950', 'GEBDATUM', ['4 sept 1950']],
    ["geboren op 9-9-'92", 'GEBDATUM', ["9-9-'92"]],
    ['Datum: 1985-06-27', 'GEBDATUM', []],
    ['geboortedatum van de akte 12-03-1958', 'GEBDATUM', []],
    ['geboren 30 dec', 'GEBDATUM', []],
  ]);
});

test('addresses: Belgian boxes and order, a cell bar, hyphenated streets, labels and places in the next cell', () => {
  check([
    ['Kerkstraat 12 bus 3, 2000 Antwerpen', 'ADRES', ['Kerkstraat 12 bus 3']],
    ['Kerkstraat 12 bus 3, 2000 Antwerpen', 'PLAATS', ['Antwerpen']],
    ['Kerkstraat 12 hs, 1234 AB Hoorn', 'ADRES', ['Kerkstraat 12 hs']],
    ['Kerkstraat 12 zw, 2000 Antwerpen', 'ADRES', ['Kerkstraat 12 zw']],
    ['Kerkstraat 12-II, 2000 Antwerpen', 'ADRES', ['Kerkstraat 12-II']],
    ['wonende te 9000 Gent, Coupure Links 118', 'ADRES', ['Coupure Links 118']],
    ['wonende te 9000 Gent, Coupure Links 118', 'POSTCODE', ['9000']],
    ['wonende te 9000 Gent, Coupure Links 118', 'PLAATS', ['Gent']],
    ['9000 Gent, Veldstraat 118', 'ADRES', ['Veldstraat 118']],
    ['te B-9000 Gent, Coupure Links 118', 'POSTCODE', ['9000']],
    ['9000 Gent, Coupure Links 118', 'ADRES', []],
    ['kadastraal gekend als Genk', 'PLAATS', ['Genk']],
    ['8301 AB\tEmmeloord', 'PLAATS', ['Emmeloord']],
    ['8301 AB\t\tEmmeloord', 'PLAATS', []],
    ['Markt 22 | 5211 JX', 'ADRES', ['Markt 22']],
    ['Markt 22 | 5211', 'ADRES', []],
    ['Ringbaan-West 242', 'ADRES', ['Ringbaan-West 242']],
    ['Markt 22\nPostcode en plaats: 9203 HD Drachten', 'ADRES', ['Markt 22']],
    ['Postcode en plaats: 9203 HD Drachten', 'PLAATS', ['Drachten']],
    ['Geboorteplaats      Gdańsk', 'PLAATS', ['Gdańsk']],
    ['Naam\tPlaats\tTelefoon\tGeboortedatum', 'PLAATS', []],
    ['Binnenring 5', 'ADRES', ['Binnenring 5']],
    ['LIJFRENTE-UITKERING 2023', 'ADRES', []],
    ['Uitkering 2023', 'ADRES', []],
  ]);
});

test('names in form layouts, greetings, closings, deeds and capitals', () => {
  check([
    ['Naam            Krzysztof Wiśniewski', 'PERSOON', ['Krzysztof Wiśniewski']],
    ['Voorletters: K.J.', 'PERSOON', ['K.J.']],
    ['Roepnaam\tPiet', 'PERSOON', ['Piet']],
    ['Toeslagpartner: Anna de Vries', 'PERSOON', ['Anna de Vries/PARTNER']],
    ['Echtgenote    Anna de Vries', 'PERSOON', ['Anna de Vries/PARTNER']],
    ['Kinderen:\n- Sem Bakker\n- Noor Bakker\n\nDaan Bakker', 'PERSOON', ['Sem Bakker/KIND', 'Noor Bakker/KIND']],
    ['Kinderen:\n1. Sem Bakker\nNoor Bakker\nAdres: Kerkstraat 1', 'PERSOON', ['Sem Bakker/KIND', 'Noor Bakker/KIND']],
    ['Kinderen:\nSem Bakker woont in Delft', 'PERSOON', []],
    ['Kinderen:\nGeen', 'PERSOON', []],
    ['Naam Jansen', 'PERSOON', []],
    ['Beste Marieke en Robin,', 'PERSOON', ['Marieke', 'Robin']],
    ['Beste Allen en Robin,', 'PERSOON', ['Robin']],
    ['DHR R.A. MULDER EN MW S. MULDER', 'PERSOON', ['R.A. MULDER', 'S. MULDER']],
    ['Met vriendelijke groet,\n\nKantoor X B.V.\n\nAnneke Huisman', 'PERSOON', ['Anneke Huisman']],
    ['Met vriendelijke groet,\n\nBijlage: factuur\n\nAnneke Huisman', 'PERSOON', []],
    ['Voor mij, Meester Pieter-Jan Verstraete, notaris', 'PERSOON', ['Pieter-Jan Verstraete']],
    ['Meester in de rechten', 'PERSOON', []],
    ['P.J. (Piet) Visser', 'PERSOON', ['P.J. (Piet) Visser']],
    ['P.J. (zie bijlage) Visser', 'PERSOON', []],
  ]);
});

test('what is never a person: public bodies, seats, column headers, institutions and streets', () => {
  check([
    ['Belastingdienst\nPostbus 50960\n3007 BD Rotterdam', 'PERSOON', []],
    ['UWV\nPostbus 58285\n1040 HG Amsterdam', 'PERSOON', []],
    ['Gemeente Utrecht\nPostbus 16200\n3500 CE Utrecht', 'PERSOON', []],
    ['Hoge Raad der Nederlanden\nPostbus 20303\n2500 EH Den Haag', 'PERSOON', []],
    ['Familie Koning\nKerkstraat 1\n1234 AB Hoorn', 'PERSOON', ['Koning']],
    ['Karel Dekker\nPostbus 1\n1234 AB Hoorn', 'PERSOON', ['Karel Dekker']],
    ['Jansen Accountants\nMarkt 1\n1234 AB Hoorn', 'BEDRIJF', ['Jansen Accountants']],
    ['ten name van Belastingdienst Apeldoorn', 'PERSOON', []],
    ['ten name van FOD Financiën', 'PERSOON', []],
    ['notaris te Kampen', 'PERSOON', []],
    ['notaris te Kampen', 'PLAATS', ['Kampen']],
    ['notaris Jan Baert te Nazareth', 'PERSOON', ['Jan Baert']],
    ['Voor mij, Meester Pieter-Jan Verstraete, notaris te Gent,', 'PERSOON', ['Pieter-Jan Verstraete']],
    ['de heer te Velde', 'PERSOON', ['te Velde']],
    ['Naam\tGeboortedatum\tWoonplaats', 'PERSOON', []],
    ['Naam\tContactpersoon', 'PERSOON', []],
    ['Naam  Rechtsvorm', 'PERSOON', []],
    ['Rechten van de Mens', 'PERSOON', []],
    ['Laan van Meerdervoort 12', 'PERSOON', []],
    ['Rue de la Loi 16', 'PERSOON', []],
    ['Avenue du Port 86', 'PERSOON', []],
    ['mevrouw Laan', 'PERSOON', ['Laan']],
    ['Jan van der Laan', 'PERSOON', ['Jan van der Laan']],
    ['de heer Ter Laan Kerkstraat', 'PERSOON', ['Ter Laan']],
    ['de heer Jan van der Steeg', 'PERSOON', ['Jan van der Steeg']],
    ['mevrouw A. van der Gracht', 'PERSOON', ['A. van der Gracht']],
    ['Beste Mark van Steeg,', 'PERSOON', ['Mark van Steeg']],
    ['Naam: Anna Plein', 'PERSOON', ['Anna Plein']],
    ['de heer Ter Laan Dorpsstraat', 'PERSOON', ['Ter Laan']],
  ]);
});

test('companies need a name before the legal form', () => {
  check([
    ['Scheldeland Verzekeringen NV', 'BEDRIJF', ['Scheldeland Verzekeringen NV']],
    ['Twentse Onderlinge Verzekeringen U.A.', 'BEDRIJF', ['Twentse Onderlinge Verzekeringen U.A.']],
    ['Autobedrijf Maas & Zn. B.V.', 'BEDRIJF', ['Autobedrijf Maas & Zn. B.V.']],
    ['Dekker BV levert', 'BEDRIJF', ['Dekker BV']],
    ['De BV heeft', 'BEDRIJF', []],
    ['De NV heeft', 'BEDRIJF', []],
    ["(3 B.V.'s", 'BEDRIJF', []],
    ['de BV. De BV', 'BEDRIJF', []],
    ['Scheldeland NVT', 'BEDRIJF', []],
    ['bij Jansen. Bakker B.V. levert', 'BEDRIJF', ['Bakker B.V.']],
  ]);
});

test('a notary\'s or lawyer\'s "te" particle after initials or a single name stays in the name', () => {
  check([
    ['notaris Jan te Velde', 'PERSOON', ['Jan te Velde']],
    ['notaris Jan te Velde', 'PLAATS', []],
    ['mr. A.B. te Velde, advocaat', 'PERSOON', ['A.B. te Velde']],
    ['Meester Jan te Water, notaris te Gent', 'PERSOON', ['Jan te Water']],
    ['notaris Jan te Velde te Enschede', 'PERSOON', ['Jan te Velde']],
    ['notaris Jan te Velde te Enschede', 'PLAATS', ['Enschede']],
    ['notaris Jan Baert te Nazareth', 'PLAATS', ['Nazareth']],
  ]);
});

test('a blank inside a reference does not join the date or time after it', () => {
  check([
    ['Dossiernummer 2024-0057 12-03-2024 € 1.210,00', 'KENMERK', ['2024-0057']],
    ['Polisnummer 12345678 01-01-2024', 'KENMERK', ['12345678']],
    ['Kenmerk: 2024-0211 14.30 uur', 'KENMERK', ['2024-0211']],
    ['polisnummer TO-55 0183 27 is verlopen', 'KENMERK', ['TO-55 0183 27']],
  ]);
});

test('a form label followed by a tab and blanks together', () => {
  check([
    ['Naam \tKrzysztof Wiśniewski', 'PERSOON', ['Krzysztof Wiśniewski']],
    ['Naam\t  Krzysztof Wiśniewski', 'PERSOON', ['Krzysztof Wiśniewski']],
    ['Geboorteplaats \t Gdańsk', 'PLAATS', ['Gdańsk']],
    ['Naam Jansen', 'PERSOON', []],
  ]);
});

test('surnames made of a particle and a field word, and form answers', () => {
  check([
    ['mevrouw Van der Plaats', 'PERSOON', ['Van der Plaats']],
    ['Naam\tPlaats', 'PERSOON', []],
    ['Kinderen:\nNee', 'PERSOON', []],
    ['Kinderen:\nJa\nNee', 'PERSOON', []],
    ['Partner: Ja', 'PERSOON', []],
    ['Kinderen:\nNvt', 'PERSOON', []],
    ['Kinderen:\nOnbekend', 'PERSOON', []],
  ]);
});

test('a no-break space after a label\'s colon, as mails in HTML write it', () => {
  check([
    ['Dossier:\u00A02024-0057', 'KENMERK', ['2024-0057']],
    ['Uw kenmerk:\u00A0JV/2024/03', 'KENMERK', ['JV/2024/03']],
    ['polisnummer:\u00A0TO-55 0183 27', 'KENMERK', ['TO-55 0183 27']],
    ['Naam:\u00A0Krzysztof Wiśniewski', 'PERSOON', ['Krzysztof Wiśniewski']],
    ['Voorletters:\u00A0K.J.', 'PERSOON', ['K.J.']],
    ['Kinderen:\u00A0\n- Sem Bakker', 'PERSOON', ['Sem Bakker/KIND']],
    ['Geboorteplaats:\u00A0Gdańsk', 'PLAATS', ['Gdańsk']],
    ['Markt 22\nPostcode en plaats:\u00A09203 HD Drachten', 'ADRES', ['Markt 22']],
    ['Naam\u00A0Jansen', 'PERSOON', []],
  ]);
});

test('the column headers of a table laid out with blanks are no persons', () => {
  check([
    ['Naam  Status', 'PERSOON', []],
    ['Naam    Saldo    Datum', 'PERSOON', []],
    ['Naam\tType', 'PERSOON', []],
    ['Naam  Nummer  Code', 'PERSOON', []],
    ['Naam  Land', 'PERSOON', []],
    ['Naam  Locatie', 'PERSOON', []],
    ['Naam  Aantal  Prijs', 'PERSOON', []],
    ['Naam  Periode', 'PERSOON', []],
    ['Naam  Jan Land', 'PERSOON', ['Jan Land']],
    ['Huurder  Verhuurder', 'PERSOON', []],
    ['Naam  Paraaf', 'PERSOON', []],
    ['Naam  Bsn  Iban  Bank', 'PERSOON', []],
    ['Naam  Uren  Tarief', 'PERSOON', []],
    ['Koper\tVerkoper\tNotaris', 'PERSOON', []],
    ['Koper  Jan Verkoper', 'PERSOON', ['Jan Verkoper']],
  ]);
});

test('only a label in the plural opens a list of names on the lines below it', () => {
  check([
    ['Werknemer:\nVakantiegeld\nPensioenpremie\nReiskosten', 'PERSOON', []],
    ['Behandelaar:\nSamenvatting\nConclusie', 'PERSOON', []],
    ['Contactpersoon:\nMaandag\nDinsdag', 'PERSOON', []],
    ['Partner:\nToeslagen\nHuurtoeslag\nZorgtoeslag', 'PERSOON', []],
    ['Erfgenamen:\n1. Anna Hoogendijk\n2. Bram Westerveld', 'PERSOON', ['Anna Hoogendijk/ERFGENAAM', 'Bram Westerveld/ERFGENAAM']],
    ['Bestuurders:\n- Karel Dekker\n- Lotte Dekker', 'PERSOON', ['Karel Dekker/BESTUURDER', 'Lotte Dekker/BESTUURDER']],
  ]);
});

test('a year or a date after a reference label is no reference', () => {
  check([
    ['Het jaarnummer 2024 van het tijdschrift', 'KENMERK', []],
    ['Het registratienummer 2024 van de kerk', 'KENMERK', []],
    ['Dossier: 2024', 'KENMERK', []],
    ['Stuknummer: 2024-03-12', 'KENMERK', []],
    ['Kenmerk: 12-03-2024', 'KENMERK', []],
    ['Dossier: 2024-0057', 'KENMERK', ['2024-0057']],
    ['klantnummer 1234', 'KENMERK', ['1234']],
    // A compound label stands apart from its value; inside a code it is none.
    ['Factuurnr.12345 en factuurnr: 12346', 'KENMERK', ['12345', '12346']],
    ['token x6gdNR8rg6FPMmFO8fcw en NR2024X0042', 'KENMERK', []],
    ['Kenmerk: 2024/118', 'KENMERK', ['2024/118']],
  ]);
});

test('a year in a sentence before a place and a street is no Belgian postcode', () => {
  check([
    ['In 2023 Jansen, Kerkstraat 12 werd verkocht.', 'POSTCODE', []],
    ['In 2023 Jansen, Kerkstraat 12 werd verkocht.', 'PLAATS', []],
    ['Sinds 1998 Gent, Veldstraat 5 is ons kantoor.', 'POSTCODE', []],
    ['Jan Peeters, 9000 Gent, Veldstraat 118', 'POSTCODE', ['9000']],
    ['Adres: 9000 Gent, Veldstraat 118', 'ADRES', ['Veldstraat 118']],
    ['met zetel te B-9000 Gent, Coupure Links 118', 'PLAATS', ['Gent']],
  ]);
});

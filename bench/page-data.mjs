// Generated dossiers for the page benchmark, at the sizes an office meets:
// a client list, a collection of letters and one very large text. Every
// person, BSN and IBAN is distinct and valid, so the detection finds them all.
const VOORNAMEN = ['Jan', 'Els', 'Karel', 'Anna', 'Pieter', 'Sanne', 'Ruud', 'Femke', 'Joost', 'Ilse', 'Bram', 'Noor',
  'Daan', 'Lotte', 'Sem', 'Eva', 'Thijs', 'Fleur', 'Lars', 'Roos', 'Bas', 'Lisa', 'Tim', 'Mila', 'Koen', 'Iris', 'Wouter',
  'Maud', 'Stijn', 'Julia'];
const STRATEN = ['Kerkstraat', 'Dorpsstraat', 'Molenweg', 'Stationsweg', 'Schoolstraat', 'Julianalaan', 'Beatrixstraat',
  'Parkweg', 'Nieuwstraat', 'Wilhelminastraat', 'Lindenlaan', 'Eikenlaan'];
const PLAATSEN = ['Amsterdam', 'Rotterdam', 'Utrecht', 'Haarlem', 'Leiden', 'Zwolle', 'Deventer', 'Arnhem', 'Breda',
  'Tilburg', 'Groningen', 'Apeldoorn'];
const BANKEN = ['ABNA', 'INGB', 'RABO', 'SNSB', 'TRIO', 'ASNB'];

const SYLLABEN = ['ber', 'del', 'gro', 'han', 'kel', 'lin', 'mar', 'nes', 'ost', 'per', 'ruw', 'sta', 'tor', 'ven', 'wal', 'zen'];
// Distinct surnames without digits: "Berdelgro", "Bergrohan"…
function uniekeNaam(n) {
  let s = '';
  let x = n + 256;
  while (x > 0) {
    s += SYLLABEN[x % 16];
    x = Math.floor(x / 16);
  }
  return s[0].toUpperCase() + s.slice(1);
}

export function persoon(n) {
  return `${VOORNAMEN[n % VOORNAMEN.length]} ${uniekeNaam(n)}`;
}

export function bsn(n) {
  const base = String(10000000 + ((n * 7919) % 89999999)).slice(0, 8);
  for (let last = 0; last < 10; last += 1) {
    const digits = `${base}${last}`;
    let som = 0;
    for (let i = 0; i < 8; i += 1) som += Number(digits[i]) * (9 - i);
    som -= Number(digits[8]);
    if (som % 11 === 0 && digits[0] !== '0') return digits;
  }
  return bsn(n + 100000);
}

export function iban(n) {
  const bank = BANKEN[n % BANKEN.length];
  const rekening = String(1000000000 + n * 7).slice(-10);
  const numeriek = [...`${bank}${rekening}NL00`].map((c) => (/\d/.test(c) ? c : String(c.charCodeAt(0) - 55))).join('');
  let rest = 0;
  for (const c of numeriek) rest = (rest * 10 + Number(c)) % 97;
  return `NL${String(98 - rest).padStart(2, '0')}${bank}${rekening}`;
}

const adres = (n) => `${STRATEN[n % STRATEN.length]} ${1 + (n % 180)}`;
const postcode = (n) => `${1000 + (n % 8999)} ${String.fromCharCode(65 + (n % 26), 65 + ((n >> 3) % 26))}`;
const plaats = (n) => PLAATSEN[n % PLAATSEN.length];
const telefoon = (n) => `06-${String(10000000 + n * 13).slice(-8)}`;
const email = (n) => `klant${n}@voorbeeld${n % 50}.nl`;

// A client export: one row per client, every column a detectable value.
export function klantenCsv(rijen) {
  const kop = 'Klantnr;Naam;Adres;Postcode;Plaats;BSN;IBAN;E-mail';
  const regels = [kop];
  for (let i = 0; i < rijen; i += 1) {
    regels.push([`K${10000 + i}`, persoon(i), adres(i), postcode(i), plaats(i), bsn(i), iban(i), email(i)].join(';'));
  }
  return `${regels.join('\r\n')}\r\n`;
}

function brief(i) {
  const a = persoon(2 * i);
  const b = persoon(2 * i + 1);
  return [
    `Betreft: aangifte inkomstenbelasting ${2020 + (i % 5)}, dossier ${5000 + i}`,
    `Geachte heer ${a},`,
    `Naar aanleiding van ons gesprek van ${1 + (i % 28)} maart bevestigen wij dat de aangifte voor u en uw partner ${b} gereed is. `
      + `Uw BSN ${bsn(2 * i)} en dat van uw partner ${bsn(2 * i + 1)} staan op de aangifte. `
      + `De teruggaaf van € ${(i * 37) % 9000},00 wordt gestort op ${iban(i)}.`,
    `Wij hebben uw adres ${adres(i)}, ${postcode(i)} ${plaats(i)} genoteerd. U bereikt ons op ${telefoon(i)} of via ${email(i)}.`,
    `Met vriendelijke groet,\n${persoon(900000 + (i % 40))}`,
  ].join('\n\n');
}

// Letters until the text reaches the given size; returns the text. With
// `uniek`, letters repeat after that many, as a dossier repeats its clients.
export function brieven(bytes, uniek = Infinity) {
  const delen = [];
  let lengte = 0;
  for (let i = 0; lengte < bytes; i += 1) {
    const b = brief(i % uniek);
    delen.push(b);
    lengte += b.length + 2;
  }
  return delen.join('\n\n');
}

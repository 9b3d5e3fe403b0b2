// Default instruction for the AI assistant; each session keeps its own editable copy.
window.ANON_CONFIG = {
  instructie:
    'Dit document is gepseudonimiseerd. Gegevens tussen vierkante haken, zoals [PERSOON_1] of [BEDRIJF_2], ' +
    'zijn vervangingen van echte namen en nummers. Neem deze placeholders letterlijk over in je antwoord, ' +
    'inclusief de vierkante haken. Vertaal, combineer of wijzig ze niet en probeer niet te raden wie of wat erachter zit.',
};

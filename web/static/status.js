// Hosted edition: there is no desktop side, so there is no status to show.
window.ANON_STATUS = null;

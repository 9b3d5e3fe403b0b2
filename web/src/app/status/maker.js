// The maker's own addresses, as the page names them.
export const MAKER_DOMEIN = 'drovel.nl';
